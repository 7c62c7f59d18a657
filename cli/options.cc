#include "cli/options.h"

#include "app/arguments.h"
#include "app/texts.h"
#include "update/origin.h"

namespace venmark {

Result<Options, std::string> ParseArgs(const std::vector<std::string>& args) {
  Options options;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || arg == "-" || arg.empty() || arg[0] != '-') {
      options.inputs.push_back(arg);
    } else if (arg == "--") {
      options_ended = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--list-kinds") {
      options.list_kinds = true;
    } else if (arg == "--update") {
      options.update = true;
    } else if (const Result<bool, std::string> listing =
                   TakeListingOption(args, &i, &options.listing_path);
               !listing) {
      return Fail(listing.problem());
    } else if (*listing) {
      continue;
    } else if (IsOption(arg, "--from")) {
      const std::optional<std::string> value = OptionValue(args, &i, "--from");
      // A blank one is a slip, never a quiet fall back to the settings.
      if (!value || value->find_first_not_of(" \t\r\n") == std::string::npos) {
        return Fail(text::UsageProblem(text::Usage::kFromWithoutOrigin, arg));
      }
      if (!ParseOrigin(*value)) {
        return Fail(text::UsageProblem(text::Usage::kFromNoFolder, *value));
      }
      options.from = *value;
    } else if (IsOption(arg, "--format")) {
      const std::optional<std::string> value =
          OptionValue(args, &i, "--format");
      options.format = value ? FindResultFormat(*value) : nullptr;
      if (options.format == nullptr) {
        return Fail(text::UsageProblem(text::Usage::kBadFormat, arg));
      }
    } else {
      return Fail(text::UsageProblem(text::Usage::kUnknownOption, arg));
    }
  }
  if (!options.from.empty() && !options.update) {
    return Fail(text::UsageProblem(text::Usage::kFromWithoutUpdate, ""));
  }
  if (options.update && !options.inputs.empty()) {
    return Fail(text::UsageProblem(text::Usage::kUpdateWithInputs, ""));
  }
  if (options.inputs.empty()) options.inputs.push_back("-");
  return options;
}

}  // namespace venmark

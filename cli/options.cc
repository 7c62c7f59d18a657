#include "cli/options.h"

#include "app/arguments.h"
#include "app/texts.h"
#include "update/origin.h"

namespace venmark {

std::optional<Options> ParseArgs(const std::vector<std::string>& args,
                                 std::string* error) {
  Options options;
  bool options_ended = false;
  error->clear();
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
    } else if (TakeListingOption(args, &i, &options.listing_path, error)) {
      continue;
    } else if (!error->empty()) {
      return std::nullopt;
    } else if (IsOption(arg, "--from")) {
      const std::optional<std::string> value = OptionValue(args, &i, "--from");
      // A blank one is a slip, never a quiet fall back to the settings.
      if (!value || value->find_first_not_of(" \t\r\n") == std::string::npos) {
        *error = text::UsageProblem(text::Usage::kFromWithoutOrigin, arg);
        return std::nullopt;
      }
      if (!ParseOrigin(*value)) {
        *error = text::UsageProblem(text::Usage::kFromNoFolder, *value);
        return std::nullopt;
      }
      options.from = *value;
    } else if (IsOption(arg, "--format")) {
      const std::optional<std::string> value =
          OptionValue(args, &i, "--format");
      options.format = value ? FindResultFormat(*value) : nullptr;
      if (options.format == nullptr) {
        *error = text::UsageProblem(text::Usage::kBadFormat, arg);
        return std::nullopt;
      }
    } else {
      *error = text::UsageProblem(text::Usage::kUnknownOption, arg);
      return std::nullopt;
    }
  }
  if (!options.from.empty() && !options.update) {
    *error = text::UsageProblem(text::Usage::kFromWithoutUpdate, "");
    return std::nullopt;
  }
  if (options.update && !options.inputs.empty()) {
    *error = text::UsageProblem(text::Usage::kUpdateWithInputs, "");
    return std::nullopt;
  }
  if (options.inputs.empty()) options.inputs.push_back("-");
  return options;
}

}  // namespace venmark

#include "app/arguments.h"

#include "app/texts.h"

namespace venmark {

bool IsOption(std::string_view arg, std::string_view name) {
  return arg == name || (arg.size() > name.size() && arg.starts_with(name) &&
                         arg[name.size()] == '=');
}

std::optional<std::string> OptionValue(const std::vector<std::string>& args,
                                       std::size_t* i, std::string_view name) {
  const std::string& arg = args[*i];
  if (arg == name) {
    if (*i + 1 == args.size()) return std::nullopt;
    return args[++*i];
  }
  return arg.substr(name.size() + 1);
}

Result<bool, std::string> TakeListingOption(
    const std::vector<std::string>& args, std::size_t* i,
    std::string* listing) {
  const std::string& arg = args[*i];
  if (!IsOption(arg, "--db")) return false;
  const std::optional<std::string> value = OptionValue(args, i, "--db");
  if (!value || value->empty()) {
    return Fail(text::UsageProblem(text::Usage::kDbWithoutFile, arg));
  }
  *listing = *value;
  return true;
}

Result<GuiArguments, std::string> ParseGuiArguments(
    const std::vector<std::string>& args) {
  GuiArguments parsed;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
    } else if (arg == "--version") {
      parsed.version = true;
    } else if (const Result<bool, std::string> listing =
                   TakeListingOption(args, &i, &parsed.listing);
               !listing) {
      return Fail(listing.problem());
    } else if (!*listing) {
      return Fail(text::UsageProblem(text::Usage::kUnknownOption, arg));
    }
  }
  return parsed;
}

}  // namespace venmark

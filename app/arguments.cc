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

bool TakeListingOption(const std::vector<std::string>& args, std::size_t* i,
                       std::string* listing, std::string* error) {
  const std::string& arg = args[*i];
  if (!IsOption(arg, "--db")) return false;
  const std::optional<std::string> value = OptionValue(args, i, "--db");
  if (!value || value->empty()) {
    *error = text::UsageProblem(text::Usage::kDbWithoutFile, arg);
    return false;
  }
  *listing = *value;
  return true;
}

std::optional<GuiArguments> ParseGuiArguments(
    const std::vector<std::string>& args, std::string* error) {
  GuiArguments parsed;
  error->clear();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
    } else if (arg == "--version") {
      parsed.version = true;
    } else if (TakeListingOption(args, &i, &parsed.listing, error)) {
      continue;
    } else if (!error->empty()) {
      return std::nullopt;
    } else {
      *error = text::UsageProblem(text::Usage::kUnknownOption, arg);
      return std::nullopt;
    }
  }
  return parsed;
}

}  // namespace venmark

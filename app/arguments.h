#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/result.h"

// The command lines of the programs, read one way: "--name VALUE" and
// "--name=VALUE" alike, and nothing that merely begins like an option.
namespace venmark {

// Whether arg is the option name, alone or as "name=VALUE".
bool IsOption(std::string_view arg, std::string_view name);

// The value of option name at args[*i] ("--db FILE" or "--db=FILE");
// *i moves past what it used. Nothing when the value is missing.
std::optional<std::string> OptionValue(const std::vector<std::string>& args,
                                       std::size_t* i, std::string_view name);

// Reads the option at args[*i] when it is --db (both programs take it):
// *listing set, *i past its value, and true; false for any other option.
// Fails with the message for --db without a file.
Result<bool, std::string> TakeListingOption(
    const std::vector<std::string>& args, std::size_t* i, std::string* listing);

// What the windows' program was asked.
struct GuiArguments {
  std::string listing;  // --db FILE; empty: looked for
  bool help = false;
  bool version = false;
};

// Reads the windows' program's args (its name excluded); a usage error
// fails with the message for the console.
Result<GuiArguments, std::string> ParseGuiArguments(
    const std::vector<std::string>& args);

}  // namespace venmark

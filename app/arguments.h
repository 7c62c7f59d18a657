#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// *listing set, *i past its value, and true. False, with *error set, for
// --db without a file; false with *error empty for any other option.
bool TakeListingOption(const std::vector<std::string>& args, std::size_t* i,
                       std::string* listing, std::string* error);

// What the windows' program was asked.
struct GuiArguments {
  std::string listing;  // --db FILE; empty: looked for
  bool help = false;
  bool version = false;
};

// Reads the windows' program's args (its name excluded); on a usage error
// returns nothing and sets *error to the message for the console.
std::optional<GuiArguments> ParseGuiArguments(
    const std::vector<std::string>& args, std::string* error);

}  // namespace venmark

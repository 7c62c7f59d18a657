#pragma once

#include <string>
#include <string_view>

namespace venmark {

// The MA-L listing to search: the one the user named (made absolute, so
// that messages say which folder was meant), else the first found where
// listings are looked for; empty when there is none.
std::string ChooseListing(const std::string& named);

struct SearchOutcome {
  std::string lines;  // the result lines, each ending in eol
  std::string error;  // when not empty: the message to show, and no lines
};

// Every MAC of text with its manufacturer, from the listing named (or
// found, see ChooseListing). A text without MACs needs no listing, so it
// cannot fail for want of one.
SearchOutcome RunSearch(std::string_view text, const std::string& named,
                        std::string_view eol);

}  // namespace venmark

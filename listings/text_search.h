#pragma once

#include <cstddef>
#include <string_view>

// Lines and short needles found fast in the listings' text.
namespace venmark {

// Calls line(text) for each line of listing; CR LF, a lone CR and a lone LF
// all end a line, and a last line without one counts too.
template <typename Line>
void ForEachLine(std::string_view listing, Line&& line) {
  std::size_t start = 0;
  while (start < listing.size()) {
    std::size_t end = start;
    while (end < listing.size() && listing[end] != '\r' &&
           listing[end] != '\n') {
      ++end;
    }
    const std::size_t next =
        end == listing.size()
            ? end
            : end + ((listing[end] == '\r' && end + 1 < listing.size() &&
                      listing[end + 1] == '\n')
                         ? 2
                         : 1);
    line(listing.substr(start, end - start));
    start = next;
  }
}

// Finds a short needle of the listings ("(hex)", "00-1A-2B") in text from
// `from` on, several times faster than string_view::find or glibc's
// memmem, whose first-byte or two-byte searches stop at every digit of
// them. npos when it is not there. With any_case, ASCII letters match in
// either case.
class Finder {
 public:
  explicit Finder(std::string_view needle, bool any_case = false)
      : needle_(needle), any_case_(any_case) {}
  std::size_t In(std::string_view text, std::size_t from) const;

 private:
  // Whether the needle stands at text.
  bool At(const char* text) const;

  std::string_view needle_;
  bool any_case_;
};

// The marker of a record line, "(hex)".
const Finder& RecordMarker();

// Where the line holding offset at ends (its CR or LF, or the end).
std::size_t LineEndFrom(std::string_view text, std::size_t at);

// Whether offset at of text starts a line: the text's start, or just after
// a CR or LF.
inline bool StartsLine(std::string_view text, std::size_t at) {
  return at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
}

// Where the line holding offset at starts.
inline std::size_t LineStartBefore(std::string_view text, std::size_t at) {
  while (at > 0 && text[at - 1] != '\r' && text[at - 1] != '\n') --at;
  return at;
}

}  // namespace venmark

#pragma once

#include <array>
#include <cctype>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listings/file_read.h"
#include "listings/paths.h"
#include "listings/problem.h"

namespace venmark {

// The bytes of a listing, read whole into memory of our own: a file
// rewritten in place while a scan runs changes nothing the scan holds.
class ListingBytes {
 public:
  ListingBytes() = default;
  explicit ListingBytes(FileBytes bytes) : owned_(std::move(bytes)) {}
  // A copy of text, for a listing held in memory already.
  explicit ListingBytes(std::string_view text);

  // Reads the file at path; fails as ReadListingFile does.
  static bool Read(const std::string& path, ListingBytes* bytes,
                   ReadFailure* why);

  // The text, less a UTF-8 byte-order mark an editor may have put before
  // the first record.
  std::string_view view() const {
    const std::string_view text = owned_.view();
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
  }

 private:
  FileBytes owned_;
};

// A listing of type Listing (built from the file's bytes) read from path. On
// failure returns nothing and sets *why.
template <typename Listing>
std::optional<Listing> LoadListing(const std::string& path, ReadFailure* why) {
  ReadFailure failure;
  try {
    ListingBytes bytes;
    if (ListingBytes::Read(path, &bytes, &failure)) {
      return std::optional<Listing>(std::in_place, std::move(bytes));
    }
  } catch (const std::bad_alloc&) {
    // A memory limit (ulimit -v) is a reason like any other.
    failure = {ReadFailure::Kind::kSystem, ENOMEM};
  }
  if (why != nullptr) *why = failure;
  return std::nullopt;
}

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

// name as UTF-8: itself when it is UTF-8 already, else decoded from
// Windows-1252 into a string kept in *decoded.
std::string_view NameAsUtf8(std::string_view name,
                            std::deque<std::string>* decoded);

}  // namespace venmark

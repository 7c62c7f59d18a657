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

#include "listings/leased_file.h"
#include "listings/problem.h"

namespace venmark {

// No IEEE listing comes near this size; a larger file is something else
// (a disk image, /dev/zero) and is refused before it fills the memory.
inline constexpr std::size_t kMaxListingBytes = std::size_t{256} << 20;

// Paths travel through the program as UTF-8 strings; these turn them into
// file system paths and back, so that Windows does not read them in its
// ANSI code page.
std::filesystem::path PathFromUtf8(std::string_view utf8);
std::string Utf8FromPath(const std::filesystem::path& path);

// The folder of the file at path (UTF-8), "." for a bare name.
std::string FolderOf(const std::string& path);

// Bytes read from a file, into memory that is not cleared first: a
// listing's megabytes are written once, by the read.
struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::string_view view() const { return {data.get(), size}; }
};

// Reads the whole file at path into *bytes, never more than
// kMaxListingBytes + 1 bytes of it. On failure returns false and sets
// *why.
bool ReadListingFile(const std::string& path, FileBytes* bytes,
                     ReadFailure* why);

// The bytes of a listing: mapped under a lease where the system allows,
// else read whole into memory. Either way a file rewritten in place while
// a scan runs (cp over it) can neither kill the program nor mix two
// files' bytes, as it could in a bare mapping.
class ListingBytes {
 public:
  ListingBytes() = default;
  explicit ListingBytes(FileBytes bytes) : owned_(std::move(bytes)) {}
  explicit ListingBytes(LeasedFile mapped) : mapped_(std::move(mapped)) {}
  // A copy of text, for a listing held in memory already.
  explicit ListingBytes(std::string_view text);

  // Maps or reads the file at path; fails as ReadListingFile does.
  static bool Read(const std::string& path, ListingBytes* bytes,
                   ReadFailure* why);

  // The text, less a UTF-8 byte-order mark an editor may have put before
  // the first record.
  std::string_view view() const {
    const std::string_view text = mapped_ ? mapped_->view() : owned_.view();
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
  }

  // Whether the bytes are the file's pages, mapped and not yet copied.
  bool shared() const { return mapped_ && mapped_->shared(); }

 private:
  FileBytes owned_;
  std::optional<LeasedFile> mapped_;
};

// What tells one file at a path from another put there since: its
// identity (device and inode where the system has them), size and time.
struct FileStamp {
  bool exists = false;
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modified_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at path now.
FileStamp StampOf(const std::string& path);

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

#pragma once

#include <cerrno>
#include <deque>
#include <new>
#include <string>
#include <string_view>

#include "listings/file_read.h"
#include "listings/problem.h"

// A listing's bytes as read, and its vendor names as UTF-8.
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
  static Result<ListingBytes, ReadFailure> Read(const std::string& path);

  // The text, less a UTF-8 byte-order mark an editor may have put before
  // the first record.
  std::string_view view() const {
    const std::string_view text = owned_.view();
    return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
  }
  // The stamp of the file's version read; none for text held in memory.
  const FileStamp& stamp() const { return owned_.stamp; }

 private:
  FileBytes owned_;
};

// A listing of type Listing (built from the file's bytes) read from path.
template <typename Listing>
Result<Listing, ReadFailure> LoadListing(const std::string& path) {
  try {
    Result<ListingBytes, ReadFailure> bytes = ListingBytes::Read(path);
    if (!bytes) return Fail(bytes.problem());
    return Listing(std::move(*bytes));
  } catch (const std::bad_alloc&) {
    // A memory limit (ulimit -v) is a reason like any other.
    return Fail(ReadFailure{ReadFailure::Kind::kSystem, ENOMEM});
  }
}

// name as UTF-8: itself when it is UTF-8 already, else decoded from
// Windows-1252 into a string kept in *decoded.
std::string_view NameAsUtf8(std::string_view name,
                            std::deque<std::string>* decoded);

}  // namespace venmark

#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "listings/problem.h"
#include "scan/result.h"

// Files read with plain reads into memory of our own, one whole version at
// a time: nothing is mapped, so a file written, cut or replaced while the
// program runs can change nothing the program holds.
namespace venmark {

// No IEEE listing comes near this size; a larger file is something else
// (a disk image, /dev/zero) and is refused before it fills the memory.
inline constexpr std::size_t kMaxListingBytes = std::size_t{256} << 20;

// What tells one file at a path from another put there since: its
// identity (device and inode where the system has them), size and times.
// The change time, where the system keeps one, no one can set: a file
// copied in place with its old time kept (cp -p) still differs.
struct FileStamp {
  bool exists = false;
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modified_ns = 0;
  std::int64_t changed_ns = 0;
  bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at path (UTF-8) now.
FileStamp StampOf(const std::string& path);

// Memory for a file's bytes, given back with std::free.
struct FreeBytes {
  void operator()(char* bytes) const { std::free(bytes); }
};
using ByteBuffer = std::unique_ptr<char[], FreeBytes>;

// Room for size bytes, not cleared. A listing's megabytes go where the
// system gives them in large pages: on a virtual machine each small page
// touched for the first time costs more than reading it from the cache.
// Throws std::bad_alloc when there is none.
ByteBuffer AllocateBytes(std::size_t size);

// Bytes read from a file, into memory that is not cleared first: a
// listing's megabytes are written once, by the read.
struct FileBytes {
  ByteBuffer data;
  std::size_t size = 0;
  FileStamp stamp;  // of the version read
  std::string_view view() const { return {data.get(), size}; }
};

// How often a file that changes while it is read is read again, and how
// long one that ends inside a line may still be growing.
inline constexpr int kReadAttempts = 7;
inline constexpr std::chrono::milliseconds kQuietTime{500};

// What a file holds: lines of text, whose writer may be caught before the
// last line's end, or bytes of the program's own put in place whole.
enum class Content { kLines, kBytes };

// Reads the whole regular file at path (UTF-8) into *bytes, never more
// than max_bytes of it, as one version: read again while its stamp differs
// before and after, or while lines end inside one and were written to
// within kQuietTime. Fails kChanging when every attempt saw it change.
Result<FileBytes, ReadFailure> ReadRegularFile(
    const std::string& path, std::size_t max_bytes,
    Content content = Content::kLines);

// ReadRegularFile with the listings' cap.
inline Result<FileBytes, ReadFailure> ReadListingFile(const std::string& path) {
  return ReadRegularFile(path, kMaxListingBytes);
}

// Whether the file at path (UTF-8) ends with a line break: a listing a
// writer is still copying mostly does not. False for an empty or missing
// file.
bool EndsWithLineBreak(const std::string& path);

// Takes a file's text a piece at a time, in order.
class PieceFilter {
 public:
  virtual ~PieceFilter() = default;
  // The file is read (again) from its start.
  virtual void Restart() = 0;
  // Takes the text that follows what it was done with; returns how many
  // bytes of it it is done with now (the rest come again, with more). At
  // the end it takes all.
  virtual std::size_t Take(std::string_view text, bool at_end) = 0;
};

// Hands the regular file at path (UTF-8) to filter a piece_bytes piece at
// a time, in memory that is used again and again, as ReadRegularFile reads
// it: one version, read again (filter restarted) while it changes; the
// version's stamp. A quarter of a megabyte stays in the cache between the
// reads.
Result<FileStamp, ReadFailure> FilterRegularFile(
    const std::string& path, std::size_t max_bytes, PieceFilter* filter,
    std::size_t piece_bytes = std::size_t{1} << 18);

namespace file_read_internal {

// A regular file opened for reading without waiting for a writer (a FIFO
// is refused, not waited on). The system's own part.
class OpenFile {
 public:
  explicit OpenFile(const std::string& path);
  ~OpenFile();
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  // Whether it is open; if not, why: a folder is EISDIR, anything but a
  // regular file kNotAFile.
  bool ok() const { return ok_; }
  const ReadFailure& why() const { return why_; }
  // Its stamp now; one that does not exist when the system cannot tell.
  FileStamp Stamp() const;
  // Reads at most most bytes into into: how many, 0 at the end, -1 with
  // *error set.
  long long Read(char* into, std::size_t most, int* error);
  // The file's last byte, where it has one.
  bool LastByte(char* last) const;

 private:
  bool ok_ = false;
  ReadFailure why_;
  std::intptr_t handle_ = -1;
};

// The time now, as the file system stamps times.
std::int64_t NowNs();

// Reads into *bytes with read_some(into, most), which returns the bytes
// it read, 0 at the end or -1 on an error: first into room for `size`
// bytes and a little more (a file that grows meanwhile is read on, and
// told by its stamps), never past limit. False when read_some failed.
template <typename ReadSome>
bool ReadAll(std::uint64_t size, std::size_t limit, FileBytes* bytes,
             ReadSome&& read_some) {
  std::size_t capacity = static_cast<std::size_t>(
      std::min<std::uint64_t>(limit, size + (std::uint64_t{1} << 12)));
  bytes->data = AllocateBytes(capacity);
  bytes->size = 0;
  for (;;) {
    if (bytes->size == capacity) {
      if (capacity == limit) return true;
      const std::size_t larger = std::min(limit, 2 * capacity);
      ByteBuffer grown = AllocateBytes(larger);
      std::copy(bytes->data.get(), bytes->data.get() + bytes->size,
                grown.get());
      bytes->data = std::move(grown);
      capacity = larger;
    }
    const long long got =
        read_some(bytes->data.get() + bytes->size, capacity - bytes->size);
    if (got < 0) return false;
    if (got == 0) return true;
    bytes->size += static_cast<std::size_t>(got);
  }
}

}  // namespace file_read_internal

// A regular file opened for reading without waiting for a writer, for a
// reader of its own (an update from a folder).
using file_read_internal::OpenFile;
}  // namespace venmark

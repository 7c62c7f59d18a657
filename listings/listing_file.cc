#include "listings/listing_file.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <utility>

#include "scan/text_codec.h"

namespace venmark {
std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = PathFromUtf8(path).parent_path();
  return folder.empty() ? std::string(".") : Utf8FromPath(folder);
}

bool ReadListingFile(const std::string& path, std::vector<char>* data,
                     ReadFailure* why) {
  namespace fs = std::filesystem;
  const fs::path file_path = PathFromUtf8(path);
  // What is wrong with a file that cannot be read, as far as the standard
  // library tells: a stream says nothing of why it failed.
  std::error_code error;
  const fs::file_status status = fs::status(file_path, error);
  if (status.type() == fs::file_type::not_found) {
    *why = {ReadFailure::Kind::kSystem, ENOENT};
    return false;
  }
  if (status.type() == fs::file_type::directory) {
    *why = {ReadFailure::Kind::kSystem, EISDIR};
    return false;
  }
  // A file known to be too large is refused before a byte is read.
  if (status.type() == fs::file_type::regular &&
      fs::file_size(file_path, error) > kMaxListingBytes && !error) {
    *why = {ReadFailure::Kind::kTooLarge, 0};
    return false;
  }
  errno = 0;
  std::ifstream file(file_path, std::ios::binary);
  if (!file) {
    *why = {ReadFailure::Kind::kSystem, errno != 0 ? errno : EACCES};
    return false;
  }
  data->clear();
  if (status.type() == fs::file_type::regular) {
    const std::uintmax_t size = fs::file_size(file_path, error);
    if (!error) {
      data->reserve(static_cast<std::size_t>(
          std::min<std::uintmax_t>(size + (1 << 16), kMaxListingBytes + 1)));
    }
  }
  // The cap holds while reading: a device that never ends (/dev/zero) is
  // read no further than one byte past it, and the buffer grows by
  // doubling only up to there.
  constexpr std::size_t kChunk = 1 << 16;
  constexpr std::size_t kLimit = kMaxListingBytes + 1;
  std::size_t used = 0;
  for (;;) {
    const std::size_t want = std::min(kChunk, kLimit - used);
    if (data->capacity() < used + want) {
      data->reserve(
          std::min(kLimit, std::max(2 * data->capacity(), used + want)));
    }
    data->resize(used + want);
    file.read(data->data() + used, static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(file.gcount());
    used += got;
    if (used > kMaxListingBytes) {
      data->clear();
      data->shrink_to_fit();
      *why = {ReadFailure::Kind::kTooLarge, 0};
      return false;
    }
    if (got < want) break;
  }
  data->resize(used);
  if (file.bad()) {
    *why = {ReadFailure::Kind::kSystem, EIO};
    return false;
  }
  return true;
}

ListingBytes::ListingBytes(ListingBytes&& other) noexcept
    : owned_(std::move(other.owned_)),
      mapped_(std::exchange(other.mapped_, nullptr)),
      mapped_size_(std::exchange(other.mapped_size_, 0)) {}

ListingBytes& ListingBytes::operator=(ListingBytes&& other) noexcept {
  // What this held goes with other.
  std::swap(owned_, other.owned_);
  std::swap(mapped_, other.mapped_);
  std::swap(mapped_size_, other.mapped_size_);
  return *this;
}

ListingBytes::~ListingBytes() {
#ifndef _WIN32
  if (mapped_ != nullptr) {
    ::munmap(const_cast<char*>(mapped_), mapped_size_);
  }
#endif
}

bool ListingBytes::Read(const std::string& path, ListingBytes* bytes,
                        ReadFailure* why) {
#ifndef _WIN32
  // A regular file of a size a listing may have is mapped; anything else
  // (a pipe, a device, a file too large) is read, or refused, as before.
  // An update replaces a listing by renaming, so a mapped file never
  // changes under the reader.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat status {};
  if (fd >= 0 && ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      status.st_size > 0 &&
      static_cast<std::uintmax_t>(status.st_size) <= kMaxListingBytes) {
    const auto size = static_cast<std::size_t>(status.st_size);
    void* mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped != MAP_FAILED) {
      *bytes = ListingBytes();
      bytes->mapped_ = static_cast<const char*>(mapped);
      bytes->mapped_size_ = size;
      return true;
    }
  } else if (fd >= 0) {
    ::close(fd);
  }
#endif
  std::vector<char> data;
  if (!ReadListingFile(path, &data, why)) return false;
  *bytes = ListingBytes(std::move(data));
  return true;
}

Finder::Finder(std::string_view needle) : needle_(needle) {
  skip_.fill(needle.size());
  for (std::size_t i = 0; i + 1 < needle.size(); ++i) {
    skip_[static_cast<unsigned char>(needle[i])] = needle.size() - 1 - i;
  }
}

std::size_t Finder::In(std::string_view text, std::size_t from) const {
  const std::size_t m = needle_.size();
  if (m == 0 || from >= text.size() || text.size() - from < m) {
    return std::string_view::npos;
  }
  // A needle that starts with a byte lines seldom hold ("(hex)"): memchr
  // goes to each one at memory speed.
  if (!std::isalnum(static_cast<unsigned char>(needle_[0]))) {
    while (from + m <= text.size()) {
      const void* hit = std::memchr(text.data() + from, needle_[0],
                                    text.size() - from - m + 1);
      if (hit == nullptr) return std::string_view::npos;
      const auto at =
          static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
      if (text.compare(at, m, needle_) == 0) return at;
      from = at + 1;
    }
    return std::string_view::npos;
  }
#ifdef __GLIBC__
  // glibc's memmem looks at two bytes at a time and outruns Horspool.
  const void* found =
      memmem(text.data() + from, text.size() - from, needle_.data(), m);
  return found == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(
                                static_cast<const char*>(found) - text.data());
#else
  for (std::size_t at = from; at + m <= text.size();
       at += skip_[static_cast<unsigned char>(text[at + m - 1])]) {
    if (text.compare(at, m, needle_) == 0) return at;
  }
  return std::string_view::npos;
#endif
}

const Finder& RecordMarker() {
  static const Finder marker("(hex)");
  return marker;
}

std::string_view NameAsUtf8(std::string_view name,
                            std::deque<std::string>* decoded) {
  if (IsValidUtf8(name)) return name;
  std::string& text = decoded->emplace_back();
  AppendWindows1252AsUtf8(name, &text);
  return text;
}

}  // namespace venmark

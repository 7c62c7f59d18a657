#include "listings/listing_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <utility>

#include "scan/mac_shapes.h"
#include "scan/text_codec.h"

namespace venmark {
namespace {

#ifdef _WIN32
// Whether another program holds the file open without letting others read.
bool HeldOpen(const std::filesystem::path& path) {
  const HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_SHARING_VIOLATION;
  }
  CloseHandle(file);
  return false;
}
#endif

}  // namespace

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

bool ReadListingFile(const std::string& path, FileBytes* bytes,
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
  // A pipe may never end and a device is no listing: refused before it is
  // opened, which for a pipe would wait for a writer.
  if (status.type() != fs::file_type::regular && !error) {
    *why = {ReadFailure::Kind::kNotAFile, 0};
    return false;
  }
  // A file known to be too large is refused before a byte is read.
  std::error_code size_error;
  const std::uintmax_t size = status.type() == fs::file_type::regular
                                  ? fs::file_size(file_path, size_error)
                                  : 0;
  const bool size_known =
      status.type() == fs::file_type::regular && !size_error;
  if (size_known && size > kMaxListingBytes) {
    *why = {ReadFailure::Kind::kTooLarge, 0};
    return false;
  }
  errno = 0;
  std::ifstream file(file_path, std::ios::binary);
  if (!file) {
    *why = {ReadFailure::Kind::kSystem, errno != 0 ? errno : EACCES};
#ifdef _WIN32
    // Windows says "access denied" of a file another program holds open
    // as of one the user may not read.
    if (HeldOpen(file_path)) why->error_number = EBUSY;
#endif
    return false;
  }
  // A regular file is read in one piece of its size and a little more (a
  // file still growing is read on); the cap holds while reading, so a
  // file that grows past it is read no further than one byte beyond.
  constexpr std::size_t kLimit = kMaxListingBytes + 1;
  std::size_t capacity =
      size_known ? static_cast<std::size_t>(
                       std::min<std::uintmax_t>(size + (1 << 12), kLimit))
                 : std::size_t{1} << 16;
  FileBytes read{std::unique_ptr<char[]>(new char[capacity]), 0};
  for (;;) {
    if (read.size == capacity) {
      if (capacity == kLimit) {
        *why = {ReadFailure::Kind::kTooLarge, 0};
        return false;
      }
      capacity = std::min(kLimit, 2 * capacity);
      std::unique_ptr<char[]> larger(new char[capacity]);
      std::copy(read.data.get(), read.data.get() + read.size, larger.get());
      read.data = std::move(larger);
    }
    const std::size_t want = capacity - read.size;
    file.read(read.data.get() + read.size, static_cast<std::streamsize>(want));
    const auto got = static_cast<std::size_t>(file.gcount());
    read.size += got;
    if (got < want) break;
  }
  if (read.size > kMaxListingBytes) {
    *why = {ReadFailure::Kind::kTooLarge, 0};
    return false;
  }
  if (file.bad()) {
    *why = {ReadFailure::Kind::kSystem, EIO};
    return false;
  }
  *bytes = std::move(read);
  return true;
}

ListingBytes::ListingBytes(std::string_view text)
    : owned_{std::unique_ptr<char[]>(new char[text.size()]), text.size()} {
  std::copy(text.begin(), text.end(), owned_.data.get());
}

bool ListingBytes::Read(const std::string& path, ListingBytes* bytes,
                        ReadFailure* why) {
  if (std::optional<LeasedFile> mapped =
          LeasedFile::Map(path, kMaxListingBytes)) {
    *bytes = ListingBytes(std::move(*mapped));
    return true;
  }
  FileBytes data;
  if (!ReadListingFile(path, &data, why)) return false;
  *bytes = ListingBytes(std::move(data));
  return true;
}

FileStamp StampOf(const std::string& path) {
  FileStamp stamp;
#ifndef _WIN32
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return stamp;
  stamp.exists = true;
  stamp.device = static_cast<std::uint64_t>(status.st_dev);
  stamp.inode = static_cast<std::uint64_t>(status.st_ino);
  stamp.size = static_cast<std::uint64_t>(status.st_size);
  stamp.modified_ns = static_cast<std::int64_t>(status.st_mtim.tv_sec) *
                          1000000000 +
                      status.st_mtim.tv_nsec;
#else
  // The file's identity and its time in steps of 100 ns: what the standard
  // library tells of a time here is whole seconds.
  const HANDLE file = CreateFileW(
      PathFromUtf8(path).c_str(), FILE_READ_ATTRIBUTES,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return stamp;
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileInformationByHandle(file, &info)) {
    stamp.exists = true;
    stamp.device = info.dwVolumeSerialNumber;
    stamp.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    stamp.modified_ns = static_cast<std::int64_t>(
        ((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
         info.ftLastWriteTime.dwLowDateTime) * 100);
  }
  CloseHandle(file);
#endif
  return stamp;
}

namespace {

// Sixteen bytes at a time, in whatever vector unit the target has (GCC and
// Clang vector extensions): plain code where there is none.
using Block = unsigned char __attribute__((vector_size(16)));

// Blocks are handed back through pointers: a vector returned by value
// changes the ABI where the target has no vector unit (i686), and GCC
// warns of it.
void Splat(unsigned char byte, Block* block) {
  for (std::size_t i = 0; i < sizeof(Block); ++i) (*block)[i] = byte;
}

void Load(const char* at, Block* block) {
  std::memcpy(block, at, sizeof(Block));
}

// The lanes a comparison set, as two words of eight lanes each.
template <typename Lanes>
std::array<std::uint64_t, 2> Words(const Lanes& lanes) {
  static_assert(sizeof(Lanes) == 16);
  std::array<std::uint64_t, 2> words;
  std::memcpy(words.data(), &lanes, sizeof words);
  return words;
}

}  // namespace

std::size_t LineEndFrom(std::string_view text, std::size_t at) {
  if constexpr (std::endian::native == std::endian::little) {
    Block crs, lfs, block;
    Splat('\r', &crs);
    Splat('\n', &lfs);
    for (; at + sizeof(Block) <= text.size(); at += sizeof(Block)) {
      Load(text.data() + at, &block);
      const auto [low, high] = Words((block == crs) | (block == lfs));
      // The first byte in memory is the lowest of a little-endian word.
      if (low != 0) return at + std::countr_zero(low) / 8;
      if (high != 0) return at + 8 + std::countr_zero(high) / 8;
    }
  }
  while (at < text.size() && text[at] != '\r' && text[at] != '\n') ++at;
  return at;
}

bool Finder::At(const char* text) const {
  if (!any_case_) return std::memcmp(text, needle_.data(), needle_.size()) == 0;
  for (std::size_t i = 0; i < needle_.size(); ++i) {
    if (shapes::Lower(text[i]) != shapes::Lower(needle_[i])) return false;
  }
  return true;
}

std::size_t Finder::In(std::string_view text, std::size_t from) const {
  const std::size_t m = needle_.size();
  if (m == 0 || from >= text.size() || text.size() - from < m) {
    return std::string_view::npos;
  }
  // Sixteen places at a time: the rest of the needle is compared only
  // where its first and its last byte both stand. In the listings that
  // pair is rare even where each byte is common ("(" and ")", "0" and "B"
  // seven apart). Either case: every byte is compared with its 0x20 bit
  // set, which lets through a few places more, never fewer.
  const char* const text_at = text.data();
  const std::size_t last = m - 1;
  const std::size_t end = text.size() - last;  // the places a match may start
  const auto fold = static_cast<unsigned char>(any_case_ ? 0x20 : 0);
  Block first_bytes, last_bytes, folds, firsts, lasts;
  Splat(static_cast<unsigned char>(needle_[0]) | fold, &first_bytes);
  Splat(static_cast<unsigned char>(needle_[last]) | fold, &last_bytes);
  Splat(fold, &folds);
  std::size_t at = from;
  for (; at + sizeof(Block) <= end; at += sizeof(Block)) {
    Load(text_at + at, &firsts);
    Load(text_at + at + last, &lasts);
    const auto both =
        ((firsts | folds) == first_bytes) & ((lasts | folds) == last_bytes);
    const auto [low, high] = Words(both);
    if ((low | high) == 0) continue;
    for (std::size_t i = 0; i < sizeof(Block); ++i) {
      if (both[i] != 0 && At(text_at + at + i)) return at + i;
    }
  }
  for (; at < end; ++at) {
    if (At(text_at + at)) return at;
  }
  return std::string_view::npos;
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

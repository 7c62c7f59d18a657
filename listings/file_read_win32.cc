#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "listings/file_read.h"
#include "listings/paths.h"

namespace venmark {
namespace {

FileStamp StampFrom(const BY_HANDLE_FILE_INFORMATION& info) {
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.inode =
      (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  // Steps of 100 ns: what the standard library tells of a time here is
  // whole seconds.
  stamp.modified_ns = static_cast<std::int64_t>(
      ((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
       info.ftLastWriteTime.dwLowDateTime) *
      100);
  return stamp;
}

// The errno value of a Windows error opening a file.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    // Windows says "access denied" of a file another program holds open
    // as of one the user may not read; a sharing violation is the first.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    default:
      return EACCES;
  }
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

HANDLE OpenShared(const std::string& path, DWORD access, DWORD flags) {
  return CreateFileW(PathFromUtf8(path).c_str(), access,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, OPEN_EXISTING, flags, nullptr);
}

}  // namespace

ByteBuffer AllocateBytes(std::size_t size) {
  void* bytes = std::malloc(size == 0 ? 1 : size);
  if (bytes == nullptr) throw std::bad_alloc();
  return ByteBuffer(static_cast<char*>(bytes));
}

FileStamp StampOf(const std::string& path) {
  const Handle file(
      OpenShared(path, FILE_READ_ATTRIBUTES, FILE_FLAG_BACKUP_SEMANTICS));
  if (file.get() == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info)) return {};
  return StampFrom(info);
}

bool EndsWithLineBreak(const std::string& path) {
  const Handle file(OpenShared(path, GENERIC_READ, 0));
  LARGE_INTEGER size{};
  if (file.get() == INVALID_HANDLE_VALUE ||
      GetFileType(file.get()) != FILE_TYPE_DISK ||
      !GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) {
    return false;
  }
  LARGE_INTEGER last_at{};
  last_at.QuadPart = size.QuadPart - 1;
  char last = 0;
  DWORD got = 0;
  if (!SetFilePointerEx(file.get(), last_at, nullptr, FILE_BEGIN) ||
      !ReadFile(file.get(), &last, 1, &got, nullptr) || got != 1) {
    return false;
  }
  return last == '\n' || last == '\r';
}

namespace file_read_internal {

std::int64_t NowNs() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return static_cast<std::int64_t>(
      ((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) * 100);
}

Attempt ReadOnce(const std::string& path, std::size_t max_bytes,
                 FileBytes* bytes) {
  Attempt attempt;
  const DWORD attributes = GetFileAttributesW(PathFromUtf8(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    attempt.why = {ReadFailure::Kind::kSystem, EISDIR};
    return attempt;
  }
  const Handle file(OpenShared(path, GENERIC_READ, 0));
  if (file.get() == INVALID_HANDLE_VALUE) {
    attempt.why = {ReadFailure::Kind::kSystem, ErrnoOf(GetLastError())};
    return attempt;
  }
  // A pipe, a console or a device is no listing.
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file.get()) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(file.get(), &info)) {
    attempt.why = {ReadFailure::Kind::kNotAFile, 0};
    return attempt;
  }
  attempt.opened = true;
  attempt.before = StampFrom(info);
  const std::size_t limit = max_bytes + 1;
  if (attempt.before.size > max_bytes) {
    bytes->size = limit;
    attempt.after = attempt.before;
    return attempt;
  }
  DWORD error = 0;
  const bool read = file_read_internal::ReadAll(
      attempt.before.size, limit, bytes,
      [&](char* into, std::size_t most) -> long long {
        DWORD got = 0;
        const auto want =
            static_cast<DWORD>(std::min<std::size_t>(most, 1u << 30));
        if (ReadFile(file.get(), into, want, &got, nullptr)) return got;
        error = GetLastError();
        return -1;
      });
  if (!read) {
    attempt.read_failed = true;
    attempt.why = {ReadFailure::Kind::kSystem, ErrnoOf(error)};
    return attempt;
  }
  if (!GetFileInformationByHandle(file.get(), &info)) {
    attempt.read_failed = true;
    attempt.why = {ReadFailure::Kind::kSystem, EIO};
    return attempt;
  }
  attempt.after = StampFrom(info);
  return attempt;
}

}  // namespace file_read_internal
}  // namespace venmark

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "listings/file_read.h"
#include "listings/paths.h"

namespace venmark {
namespace {

FileStamp StampFrom(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return {};
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = info.dwVolumeSerialNumber;
  stamp.inode = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  // Steps of 100 ns: what the standard library tells of a time here is
  // whole seconds.
  stamp.modified_ns = static_cast<std::int64_t>(
      ((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
       info.ftLastWriteTime.dwLowDateTime) *
      100);
  FILE_BASIC_INFO basic{};
  if (GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic)) {
    stamp.changed_ns = basic.ChangeTime.QuadPart * 100;
  }
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
  return StampFrom(file.get());
}

namespace file_read_internal {

std::int64_t NowNs() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return static_cast<std::int64_t>(
      ((std::uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime) * 100);
}

OpenFile::OpenFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(PathFromUtf8(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    why_ = {ReadFailure::Kind::kSystem, EISDIR};
    return;
  }
  const HANDLE file = OpenShared(path, GENERIC_READ, 0);
  if (file == INVALID_HANDLE_VALUE) {
    why_ = {ReadFailure::Kind::kSystem, ErrnoOf(GetLastError())};
    return;
  }
  handle_ = reinterpret_cast<std::intptr_t>(file);
  // A pipe, a console or a device is no listing.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    why_ = {ReadFailure::Kind::kNotAFile, 0};
    return;
  }
  ok_ = true;
}

OpenFile::~OpenFile() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

FileStamp OpenFile::Stamp() const {
  return StampFrom(reinterpret_cast<HANDLE>(handle_));
}

bool OpenFile::LastByte(char* last) const {
  const FileStamp stamp = Stamp();
  if (stamp.size == 0) return false;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(stamp.size - 1);
  at.OffsetHigh = static_cast<DWORD>((stamp.size - 1) >> 32);
  DWORD got = 0;
  return ReadFile(reinterpret_cast<HANDLE>(handle_), last, 1, &got, &at) &&
         got == 1;
}

long long OpenFile::Read(char* into, std::size_t most, int* error) {
  DWORD got = 0;
  const auto want = static_cast<DWORD>(std::min<std::size_t>(most, 1u << 30));
  if (ReadFile(reinterpret_cast<HANDLE>(handle_), into, want, &got, nullptr)) {
    return got;
  }
  *error = ErrnoOf(GetLastError());
  return -1;
}

}  // namespace file_read_internal
}  // namespace venmark

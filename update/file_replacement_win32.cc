// Locking, temporary files and replacement on Windows.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "listings/paths.h"
#include "scan/text_codec.h"
#include "update/file_replacement.h"

namespace venmark {
namespace {

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

// The errno value that says the same as a Windows error, so that messages
// are worded once for both systems.
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
      return EACCES;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    default:
      return EIO;
  }
}

// Whether another program holds the file at path open, so that it may be
// neither deleted nor replaced.
bool HeldOpen(const std::wstring& path) {
  const HANDLE file =
      CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return GetLastError() == ERROR_SHARING_VIOLATION;
  }
  CloseHandle(file);
  return false;
}

}  // namespace

Result<FolderLock, LockRefusal> FolderLock::TryTake(const std::string& folder) {
  // A lock file nobody else may open, gone when the handle closes.
  const std::wstring path =
      (PathFromUtf8(folder) / L".venmark-update.lock").wstring();
  const HANDLE file = CreateFileW(
      path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    // A killed update's handle is closed by the system, and its file goes
    // with it: one still open is another update's.
    return Fail(LockRefusal{
        .error_number = error == ERROR_SHARING_VIOLATION ? 0 : ErrnoOf(error)});
  }
  return FolderLock(reinterpret_cast<intptr_t>(file), {});
}

FolderLock::FolderLock(FolderLock&& other) noexcept : handle_(other.handle_) {
  other.handle_ = -1;
}

FolderLock::~FolderLock() {
  if (handle_ != -1) CloseHandle(Handle(handle_));
}

Result<TempFile, SystemError> TempFile::CreateBeside(
    const std::string& target) {
  // CREATE_NEW never opens what already stands at the name, link or file:
  // it fails, and another name is tried.
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".new-%06x",
                  static_cast<unsigned>(random() & 0xFFFFFF));
    std::string path = target + suffix;
    const HANDLE file =
        CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      return TempFile(reinterpret_cast<intptr_t>(file), std::move(path));
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
      return Fail(SystemError{ErrnoOf(error)});
    }
  }
  return Fail(SystemError{EEXIST});
}

TempFile::~TempFile() {
  if (handle_ != -1) CloseHandle(Handle(handle_));
  if (!placed_) DeleteFileW(WideFromUtf8(path_).c_str());
}

int TempFile::FlushBuffer() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    DWORD put = 0;
    if (!WriteFile(Handle(handle_), buffer_.data() + done,
                   static_cast<DWORD>(buffer_.size() - done), &put, nullptr)) {
      return ErrnoOf(GetLastError());
    }
    done += put;
  }
  buffer_.clear();
  return 0;
}

int TempFile::FinishOnDisk(const std::string&,
                           std::optional<std::int64_t> mtime, bool*) {
  // The new file takes the folder's permissions, as every file made there
  // does; only the date is the IEEE's.
  if (const int error = FlushBuffer(); error != 0) return error;
  if (mtime) {
    // 100-nanosecond steps since 1601.
    const ULONGLONG ticks =
        (static_cast<ULONGLONG>(*mtime) + 11644473600ULL) * 10000000ULL;
    FILETIME written;
    written.dwLowDateTime = static_cast<DWORD>(ticks);
    written.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    if (!SetFileTime(Handle(handle_), nullptr, nullptr, &written)) {
      return ErrnoOf(GetLastError());
    }
  }
  if (!FlushFileBuffers(Handle(handle_))) return ErrnoOf(GetLastError());
  const HANDLE file = Handle(handle_);
  handle_ = -1;
  if (!CloseHandle(file)) return ErrnoOf(GetLastError());
  return 0;
}

int TempFile::Rename(const std::string& target) {
  const std::wstring wide = WideFromUtf8(target);
  if (!MoveFileExW(WideFromUtf8(path_).c_str(), wide.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD error = GetLastError();
    // Windows refuses to replace a file another program holds open (an
    // editor, a second Venmark) as it refuses a file one may not write:
    // asking for the file alone tells the two apart.
    if (error == ERROR_ACCESS_DENIED && HeldOpen(wide)) return EBUSY;
    return ErrnoOf(error);
  }
  return 0;
}

// MOVEFILE_WRITE_THROUGH has already waited for the disk.
void SyncFolder(const std::string&) {}

}  // namespace venmark

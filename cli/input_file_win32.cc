#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "cli/input_file.h"
#include "listings/paths.h"

namespace venmark {

std::FILE* OpenInput(const std::string& name) {
  return _wfopen(PathFromUtf8(name).c_str(), L"rb");
}

bool RegularFileSize(std::FILE* file, std::uint64_t* size) {
  const int fd = _fileno(file);
  struct _stat64 status {};
  if (fd < 0 || _fstat64(fd, &status) != 0 ||
      (status.st_mode & _S_IFMT) != _S_IFREG) {
    return false;
  }
  *size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

long long ReadFrom(std::FILE* file, char* into, std::size_t most, int* error) {
  const int got =
      _read(_fileno(file), into,
            static_cast<unsigned>(std::min<std::size_t>(most, 1u << 30)));
  if (got < 0) *error = errno;
  return got;
}

bool FilePosition(std::FILE* file, std::uint64_t* position) {
  const __int64 at = _lseeki64(_fileno(file), 0, SEEK_CUR);
  if (at < 0) return false;
  *position = static_cast<std::uint64_t>(at);
  return true;
}

// A read at an offset moves the handle's position too: the reader has a
// handle of its own to the same file.
FileAt::FileAt(std::FILE* file) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE) return;
  const HANDLE own =
      ReOpenFile(handle, GENERIC_READ,
                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0);
  if (own != INVALID_HANDLE_VALUE) {
    handle_ = reinterpret_cast<std::intptr_t>(own);
  }
}

FileAt::~FileAt() {
  if (ok()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

long long FileAt::Read(std::uint64_t offset, char* into, std::size_t most,
                       int* error) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD got = 0;
  if (ReadFile(reinterpret_cast<HANDLE>(handle_), into,
               static_cast<DWORD>(std::min<std::size_t>(most, 1u << 30)), &got,
               &at)) {
    return got;
  }
  if (GetLastError() == ERROR_HANDLE_EOF) return 0;
  *error = EIO;
  return -1;
}

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

}  // namespace venmark

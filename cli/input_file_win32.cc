#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

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

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

}  // namespace venmark

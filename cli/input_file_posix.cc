#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/input_file.h"

namespace venmark {

std::FILE* OpenInput(const std::string& name) {
  return std::fopen(name.c_str(), "rb");
}

bool RegularFileSize(std::FILE* file, std::uint64_t* size) {
  const int fd = ::fileno(file);
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    return false;
  }
  *size = static_cast<std::uint64_t>(status.st_size);
  return true;
}

long long ReadFrom(std::FILE* file, char* into, std::size_t most, int* error) {
  for (;;) {
    const ssize_t got = ::read(::fileno(file), into, most);
    if (got >= 0) return got;
    if (errno != EINTR) {
      *error = errno;
      return -1;
    }
  }
}

bool FilePosition(std::FILE* file, std::uint64_t* position) {
  const off_t at = ::lseek(::fileno(file), 0, SEEK_CUR);
  if (at < 0) return false;
  *position = static_cast<std::uint64_t>(at);
  return true;
}

// pread leaves the descriptor's position alone: no second descriptor
// is needed.
FileAt::FileAt(std::FILE* file) : handle_(::fileno(file)) {}

FileAt::~FileAt() = default;

long long FileAt::Read(std::uint64_t offset, char* into, std::size_t most,
                       int* error) {
  for (;;) {
    const ssize_t got = ::pread(static_cast<int>(handle_), into, most,
                                static_cast<off_t>(offset));
    if (got >= 0) return got;
    if (errno != EINTR) {
      *error = errno;
      return -1;
    }
  }
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

}  // namespace venmark

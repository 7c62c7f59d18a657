#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/whole_input.h"

namespace venmark::whole_input_internal {

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

}  // namespace venmark::whole_input_internal

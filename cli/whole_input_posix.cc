#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "cli/whole_input.h"

namespace venmark {

WholeInput ReadWholeInput(std::FILE* file, std::size_t limit) {
  WholeInput input;
  const int fd = ::fileno(file);
  struct stat status {};
  if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::uint64_t>(status.st_size) > limit) {
    return input;
  }
  input.whole = true;
  const bool read = file_read_internal::ReadAll(
      static_cast<std::uint64_t>(status.st_size), limit + 1, &input.bytes,
      [&](char* into, std::size_t most) -> long long {
        for (;;) {
          const ssize_t got = ::read(fd, into, most);
          if (got >= 0 || errno != EINTR) return got;
        }
      });
  if (!read) input.error = errno != 0 ? errno : EIO;
  return input;
}

}  // namespace venmark

#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <algorithm>
#include <cerrno>

#include "cli/whole_input.h"

namespace venmark {

WholeInput ReadWholeInput(std::FILE* file, std::size_t limit) {
  WholeInput input;
  const int fd = _fileno(file);
  struct _stat64 status {};
  if (fd < 0 || _fstat64(fd, &status) != 0 ||
      (status.st_mode & _S_IFMT) != _S_IFREG ||
      static_cast<std::uint64_t>(status.st_size) > limit) {
    return input;
  }
  input.whole = true;
  const bool read = file_read_internal::ReadAll(
      static_cast<std::uint64_t>(status.st_size), limit + 1, &input.bytes,
      [&](char* into, std::size_t most) -> long long {
        return _read(
            fd, into,
            static_cast<unsigned>(std::min<std::size_t>(most, 1u << 30)));
      });
  if (!read) input.error = errno != 0 ? errno : EIO;
  return input;
}

}  // namespace venmark

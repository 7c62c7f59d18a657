#include "cli/whole_input.h"

#include <cerrno>

#include "cli/input_file.h"

namespace venmark {

WholeInput ReadWholeInput(std::FILE* file, std::size_t limit) {
  WholeInput input;
  std::uint64_t size = 0;
  if (!RegularFileSize(file, &size) || size > limit) {
    return input;
  }
  input.whole = true;
  int error = 0;
  if (!file_read_internal::ReadAll(size, limit + 1, &input.bytes,
                                   [&](char* into, std::size_t most) {
                                     return ReadFrom(file, into, most, &error);
                                   })) {
    input.error = error != 0 ? error : EIO;
  }
  return input;
}

}  // namespace venmark

// What TempFile does the same way on every system; the rest is in
// listing_files_posix.cc and listing_files_win32.cc.
#include "update/file_replacement.h"

namespace venmark {

TempFile::TempFile(TempFile&& other) noexcept
    : handle_(other.handle_),
      path_(std::move(other.path_)),
      buffer_(std::move(other.buffer_)),
      placed_(other.placed_) {
  other.handle_ = -1;
  other.placed_ = true;
}

bool TempFile::Write(std::string_view bytes, int* error_number) {
  // Written a buffer at a time: libcurl hands over a few kilobytes a call.
  constexpr std::size_t kBufferSize = 1 << 16;
  if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
  if (buffer_.size() + bytes.size() > kBufferSize) {
    if (const int error = FlushBuffer(); error != 0) {
      *error_number = error;
      return false;
    }
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  return true;
}

}  // namespace venmark

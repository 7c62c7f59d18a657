// What TempFile does the same way on every system; the rest is in
// file_replacement_posix.cc and file_replacement_win32.cc.
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

Result<Done, SystemError> TempFile::Write(std::string_view bytes) {
  // Written a buffer at a time: libcurl hands over a few kilobytes a call.
  constexpr std::size_t kBufferSize = 1 << 16;
  if (buffer_.capacity() < kBufferSize) buffer_.reserve(kBufferSize);
  if (buffer_.size() + bytes.size() > kBufferSize) {
    if (const int error = FlushBuffer(); error != 0) {
      return Fail(SystemError{error});
    }
  }
  buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
  return Done{};
}

Result<bool, SystemError> TempFile::Finish(const std::string& target,
                                           std::optional<std::int64_t> mtime) {
  bool group_kept = true;
  if (const int error = FinishOnDisk(target, mtime, &group_kept); error != 0) {
    return Fail(SystemError{error});
  }
  return group_kept;
}

Result<Done, SystemError> TempFile::ReplaceTarget(const std::string& target) {
  if (const int error = Rename(target); error != 0) {
    return Fail(SystemError{error});
  }
  placed_ = true;
  return Done{};
}

}  // namespace venmark

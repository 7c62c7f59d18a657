#include "listings/file_read.h"

#include <thread>

namespace venmark {
namespace {

using file_read_internal::Attempt;

// Whether text stops inside a line: a writer has not finished it, or the
// file was cut there.
bool EndsInsideLine(std::string_view text) {
  return !text.empty() && text.back() != '\n' && text.back() != '\r';
}

}  // namespace

bool ReadRegularFile(const std::string& path, std::size_t max_bytes,
                   FileBytes* bytes, ReadFailure* why) {
  std::chrono::milliseconds pause{10};
  FileStamp last_seen;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    if (attempt > 0) {
      std::this_thread::sleep_for(pause);
      pause *= 2;
    }
    FileBytes read;
    const Attempt done = file_read_internal::ReadOnce(path, max_bytes, &read);
    if (!done.opened || done.read_failed) {
      *why = done.why;
      return false;
    }
    if (read.size > max_bytes) {
      *why = {ReadFailure::Kind::kTooLarge, 0};
      return false;
    }
    // Written to while it was read: what was read may hold two versions.
    if (done.before != done.after || read.size != done.after.size) {
      last_seen = done.after;
      continue;
    }
    // A last line without its end, written to a moment ago: a writer may
    // be on its way, and is given the time to show it.
    const std::int64_t quiet_ns =
        std::chrono::nanoseconds(kQuietTime).count();
    // The last attempt takes such a file as it is when it stood still
    // since the one before: a file that simply lacks its last line end.
    if (EndsInsideLine(read.view()) &&
        file_read_internal::NowNs() - done.after.modified_ns < quiet_ns &&
        (attempt + 1 < kReadAttempts || done.after != last_seen)) {
      last_seen = done.after;
      continue;
    }
    read.stamp = done.after;
    *bytes = std::move(read);
    return true;
  }
  *why = {ReadFailure::Kind::kChanging, 0};
  return false;
}

}  // namespace venmark

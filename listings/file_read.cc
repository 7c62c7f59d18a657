#include "listings/file_read.h"

#include <algorithm>
#include <cerrno>
#include <thread>
#include <vector>

namespace venmark {
namespace {

using file_read_internal::OpenFile;

// What one attempt at reading a file saw.
struct Attempt {
  bool opened = false;       // else why says why
  bool read_failed = false;  // opened, then a read failed: why says why
  ReadFailure why;
  FileStamp before, after;
  std::uint64_t size = 0;  // the bytes read
  bool ends_inside_line = false;
};

// Tries read_once(&attempt) until one attempt reads a single version: the
// same stamp before and after and every byte of it, and no last line
// without its end written to a moment ago (a writer may be on its way,
// and is given the time to show it). The last attempt takes such a file as
// it is when it stood still since the one before: a file that simply
// lacks its last line end.
template <typename ReadOnce>
Result<FileStamp, ReadFailure> UntilOneVersion(std::size_t max_bytes,
                                               ReadOnce&& read_once) {
  std::chrono::milliseconds pause{10};
  FileStamp last_seen;
  const std::int64_t quiet_ns = std::chrono::nanoseconds(kQuietTime).count();
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    if (attempt > 0) {
      std::this_thread::sleep_for(pause);
      pause *= 2;
    }
    Attempt done;
    read_once(&done);
    if (!done.opened || done.read_failed) return Fail(done.why);
    if (done.size > max_bytes) {
      return Fail(ReadFailure{ReadFailure::Kind::kTooLarge, 0});
    }
    const bool changed =
        done.before != done.after || done.size != done.after.size;
    const bool maybe_unfinished =
        done.ends_inside_line &&
        file_read_internal::NowNs() - done.after.modified_ns < quiet_ns &&
        (attempt + 1 < kReadAttempts || done.after != last_seen);
    if (changed || maybe_unfinished) {
      last_seen = done.after;
      continue;
    }
    return done.after;
  }
  return Fail(ReadFailure{ReadFailure::Kind::kChanging, 0});
}

// Opens path for an attempt: false, with *done told why, when it cannot
// be read or is known to be larger than max_bytes.
bool Open(const OpenFile& file, std::size_t max_bytes, Attempt* done) {
  if (!file.ok()) {
    done->why = file.why();
    return false;
  }
  done->opened = true;
  done->before = file.Stamp();
  // A file known to be too large is refused before a byte is read.
  if (done->before.size > max_bytes) {
    done->size = done->before.size;
    done->after = done->before;
    return false;
  }
  return true;
}

bool EndsInsideLine(char last) { return last != '\n' && last != '\r'; }

}  // namespace

bool EndsWithLineBreak(const std::string& path) {
  const OpenFile file(path);
  char last = '\n';
  return file.ok() && file.LastByte(&last) && !EndsInsideLine(last);
}

Result<FileBytes, ReadFailure> ReadRegularFile(const std::string& path,
                                               std::size_t max_bytes,
                                               Content content) {
  FileBytes read;
  const Result<FileStamp, ReadFailure> one =
      UntilOneVersion(max_bytes, [&](Attempt* done) {
        OpenFile file(path);
        if (!Open(file, max_bytes, done)) return;
        int error = 0;
        if (!file_read_internal::ReadAll(done->before.size, max_bytes + 1,
                                         &read,
                                         [&](char* into, std::size_t most) {
                                           return file.Read(into, most, &error);
                                         })) {
          done->read_failed = true;
          done->why = {ReadFailure::Kind::kSystem, error};
          return;
        }
        done->after = file.Stamp();
        done->size = read.size;
        done->ends_inside_line = content == Content::kLines && read.size > 0 &&
                                 EndsInsideLine(read.data[read.size - 1]);
      });
  if (!one) return Fail(one.problem());
  read.stamp = *one;
  return read;
}

Result<FileStamp, ReadFailure> FilterRegularFile(const std::string& path,
                                                 std::size_t max_bytes,
                                                 PieceFilter* filter,
                                                 std::size_t piece_bytes) {
  // A line longer than the room left makes the room grow.
  std::vector<char> room(std::max<std::size_t>(piece_bytes, 1));
  return UntilOneVersion(max_bytes, [&](Attempt* done) {
    OpenFile file(path);
    if (!Open(file, max_bytes, done)) return;
    filter->Restart();
    std::size_t held = 0;  // bytes the filter left, at the start
    char last = '\n';
    for (;;) {
      if (held == room.size()) room.resize(2 * room.size());
      int error = 0;
      const long long got =
          file.Read(room.data() + held, room.size() - held, &error);
      if (got < 0) {
        done->read_failed = true;
        done->why = {ReadFailure::Kind::kSystem, error};
        return;
      }
      done->size += static_cast<std::uint64_t>(got);
      // at(): a slip past the bytes read is caught, not read as a byte.
      if (got > 0) last = room.at(held + static_cast<std::size_t>(got) - 1);
      const std::size_t in_room = held + static_cast<std::size_t>(got);
      const std::size_t taken =
          filter->Take(std::string_view(room.data(), in_room), got == 0);
      if (got == 0 || done->size > max_bytes) break;
      std::copy(room.begin() + static_cast<std::ptrdiff_t>(taken),
                room.begin() + static_cast<std::ptrdiff_t>(in_room),
                room.begin());
      held = in_room - taken;
    }
    done->after = file.Stamp();
    done->ends_inside_line = done->size > 0 && EndsInsideLine(last);
  });
}

}  // namespace venmark

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <new>

#include "listings/file_read.h"

namespace venmark {
namespace {

FileStamp StampFrom(const struct stat& status) {
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = static_cast<std::uint64_t>(status.st_dev);
  stamp.inode = static_cast<std::uint64_t>(status.st_ino);
  stamp.size = static_cast<std::uint64_t>(status.st_size);
  stamp.modified_ns =
      static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 +
      status.st_mtim.tv_nsec;
  return stamp;
}

// Closes the descriptor however the read ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

ByteBuffer AllocateBytes(std::size_t size) {
  constexpr std::size_t kLargePage = std::size_t{2} << 20;
  void* bytes = nullptr;
  if (size >= kLargePage / 8) {
    // Whole large pages, which the kernel backs with huge pages when asked.
    const std::size_t rounded = (size + kLargePage - 1) & ~(kLargePage - 1);
    bytes = std::aligned_alloc(kLargePage, rounded);
    if (bytes != nullptr) ::madvise(bytes, rounded, MADV_HUGEPAGE);
  } else {
    bytes = std::malloc(size == 0 ? 1 : size);
  }
  if (bytes == nullptr) throw std::bad_alloc();
  return ByteBuffer(static_cast<char*>(bytes));
}

FileStamp StampOf(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return {};
  return StampFrom(status);
}

bool EndsWithLineBreak(const std::string& path) {
  const Descriptor file(
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat status {};
  if (file.get() < 0 || ::fstat(file.get(), &status) != 0 ||
      !S_ISREG(status.st_mode) || status.st_size <= 0) {
    return false;
  }
  char last = 0;
  if (::pread(file.get(), &last, 1, status.st_size - 1) != 1) return false;
  return last == '\n' || last == '\r';
}

namespace file_read_internal {

std::int64_t NowNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

Attempt ReadOnce(const std::string& path, std::size_t max_bytes,
                 FileBytes* bytes) {
  Attempt attempt;
  // Non-blocking: opening a FIFO for reading would wait for a writer.
  const Descriptor file(
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (file.get() < 0) {
    attempt.why = {ReadFailure::Kind::kSystem, errno};
    return attempt;
  }
  struct stat status {};
  if (::fstat(file.get(), &status) != 0) {
    attempt.why = {ReadFailure::Kind::kSystem, errno};
    return attempt;
  }
  if (S_ISDIR(status.st_mode)) {
    attempt.why = {ReadFailure::Kind::kSystem, EISDIR};
    return attempt;
  }
  // A pipe may never end and a device is no listing.
  if (!S_ISREG(status.st_mode)) {
    attempt.why = {ReadFailure::Kind::kNotAFile, 0};
    return attempt;
  }
  attempt.opened = true;
  attempt.before = StampFrom(status);
  // A file known to be too large is refused before a byte is read.
  const std::size_t limit = max_bytes + 1;
  if (static_cast<std::uint64_t>(status.st_size) > max_bytes) {
    bytes->size = limit;
    attempt.after = attempt.before;
    return attempt;
  }
  const bool read = file_read_internal::ReadAll(
      static_cast<std::uint64_t>(status.st_size), limit, bytes,
      [&](char* into, std::size_t most) -> long long {
        for (;;) {
          const ssize_t got = ::read(file.get(), into, most);
          if (got >= 0 || errno != EINTR) return got;
        }
      });
  if (!read) {
    attempt.read_failed = true;
    attempt.why = {ReadFailure::Kind::kSystem, errno};
    return attempt;
  }
  if (::fstat(file.get(), &status) != 0) {
    attempt.read_failed = true;
    attempt.why = {ReadFailure::Kind::kSystem, errno};
    return attempt;
  }
  attempt.after = StampFrom(status);
  return attempt;
}

}  // namespace file_read_internal
}  // namespace venmark

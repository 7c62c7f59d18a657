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
  stamp.changed_ns =
      static_cast<std::int64_t>(status.st_ctim.tv_sec) * 1000000000 +
      status.st_ctim.tv_nsec;
  return stamp;
}

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

namespace file_read_internal {

std::int64_t NowNs() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

OpenFile::OpenFile(const std::string& path) {
  // Non-blocking: opening a FIFO for reading would wait for a writer.
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    why_ = {ReadFailure::Kind::kSystem, errno};
    return;
  }
  handle_ = fd;
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    why_ = {ReadFailure::Kind::kSystem, errno};
  } else if (S_ISDIR(status.st_mode)) {
    why_ = {ReadFailure::Kind::kSystem, EISDIR};
  } else if (!S_ISREG(status.st_mode)) {
    // A pipe may never end and a device is no listing.
    why_ = {ReadFailure::Kind::kNotAFile, 0};
  } else {
    ok_ = true;
  }
}

OpenFile::~OpenFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

FileStamp OpenFile::Stamp() const {
  struct stat status {};
  if (::fstat(static_cast<int>(handle_), &status) != 0) return {};
  return StampFrom(status);
}

bool OpenFile::LastByte(char* last) const {
  const FileStamp stamp = Stamp();
  return stamp.size > 0 && ::pread(static_cast<int>(handle_), last, 1,
                                   static_cast<off_t>(stamp.size - 1)) == 1;
}

long long OpenFile::Read(char* into, std::size_t most, int* error) {
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(handle_), into, most);
    if (got >= 0) return got;
    if (errno != EINTR) {
      *error = errno;
      return -1;
    }
  }
}

}  // namespace file_read_internal
}  // namespace venmark

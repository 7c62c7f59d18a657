// Locking, temporary files and replacement on POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "listings/listing_file.h"
#include "update/file_replacement.h"

namespace venmark {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

std::optional<FolderLock> FolderLock::TryTake(const std::string& folder,
                                              int* error_number) {
  // A file of its own, readable and writable by its owner alone, locked
  // for writing: a lock needs the file open for writing, so someone who
  // may only read the folder can neither take it nor hold it up (as any
  // reader could with flock on the folder itself).
  const std::string path = folder + "/.venmark-update.lock";
  for (int attempt = 0; attempt < 10; ++attempt) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
      *error_number = errno;
      return std::nullopt;
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
#ifdef F_OFD_SETLK
    // Held by this open file, not by the process, so that two updates of
    // one process exclude each other too.
    constexpr int kSetLock = F_OFD_SETLK;
#else
    constexpr int kSetLock = F_SETLK;
#endif
    if (::fcntl(fd, kSetLock, &lock) != 0) {
      *error_number = errno == EACCES || errno == EAGAIN ? 0 : errno;
      ::close(fd);
      return std::nullopt;
    }
    // The update before may have removed the file between our open and
    // our lock: the lock counts only on the file the name still names.
    struct stat opened {
    }, named{};
    if (::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
        opened.st_dev == named.st_dev && opened.st_ino == named.st_ino) {
      return FolderLock(fd, path);
    }
    ::close(fd);
  }
  *error_number = 0;
  return std::nullopt;
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : handle_(other.handle_), path_(std::move(other.path_)) {
  other.handle_ = -1;
}

FolderLock::~FolderLock() {
  if (handle_ < 0) return;
  // Removed while still locked, so that no one locks a file that is gone.
  ::unlink(path_.c_str());
  ::close(Fd(handle_));
}

std::optional<TempFile> TempFile::CreateBeside(const std::string& target,
                                               int* error_number) {
  // mkostemp opens with O_CREAT | O_EXCL, so a link or file planted at the
  // name makes it try another name instead of following it.
  std::string path =
      (std::filesystem::path(FolderOf(target)) /
       (std::filesystem::path(target).filename().string() + ".new-XXXXXX"))
          .string();
  const int fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) {
    *error_number = errno;
    return std::nullopt;
  }
  return TempFile(fd, std::move(path));
}

TempFile::~TempFile() {
  if (handle_ >= 0) ::close(Fd(handle_));
  if (!placed_) ::unlink(path_.c_str());
}

int TempFile::FlushBuffer() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t put =
        ::write(Fd(handle_), buffer_.data() + done, buffer_.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(put);
  }
  buffer_.clear();
  return 0;
}

int TempFile::Finish(const std::string& target,
                     std::optional<std::int64_t> mtime) {
  if (const int error = FlushBuffer(); error != 0) return error;
  // The file replaced keeps its owner, group and mode (root updating a
  // user's listing must not take it from them); a new one follows the
  // umask, as any file the user makes.
  struct stat old {};
  if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fchown(Fd(handle_), old.st_uid, old.st_gid) != 0 && errno != EPERM) {
      return errno;
    }
    if (::fchmod(Fd(handle_), old.st_mode & 07777) != 0) return errno;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (::fchmod(Fd(handle_), 0666 & ~mask) != 0) return errno;
  }
  if (mtime) {
    const timespec times[2] = {{0, UTIME_NOW},
                               {static_cast<time_t>(*mtime), 0}};
    if (::futimens(Fd(handle_), times) != 0) return errno;
  }
  if (::fsync(Fd(handle_)) != 0) return errno;
  const int fd = Fd(handle_);
  handle_ = -1;
  if (::close(fd) != 0) return errno;
  return 0;
}

int TempFile::ReplaceTarget(const std::string& target) {
  // rename replaces a link at target itself, never the file it points to.
  if (std::rename(path_.c_str(), target.c_str()) != 0) return errno;
  placed_ = true;
  return 0;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace venmark

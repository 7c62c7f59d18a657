// Locking, temporary files and replacement on POSIX systems.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>

#include "listings/paths.h"
#include "update/file_replacement.h"

namespace venmark {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

#ifdef F_OFD_SETLK
// Held by the open file, not by the process, so that two updates of one
// process exclude each other too.
constexpr int kSetLock = F_OFD_SETLK, kGetLock = F_OFD_GETLK;
#else
constexpr int kSetLock = F_SETLK, kGetLock = F_GETLK;
#endif

// No update lives longer than this (its own limit is ten minutes): a lock
// file that has not changed for so long is left over, whoever made it.
constexpr time_t kLongestUpdate = 60 * 60;

// Whether the lock file (stat file) of another user is held by an update
// that still runs. One that cannot be read (an older, private lock) counts
// as held while it is young enough to belong to a running update.
bool HeldByAnother(const std::string& path, const struct stat& file) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return ::time(nullptr) - file.st_mtime < kLongestUpdate;
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  const bool held = ::fcntl(fd, kGetLock, &lock) == 0 && lock.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

// A user's name, or their number where the system knows no name.
std::string UserName(uid_t uid) {
  char buffer[1024];
  struct passwd entry {
  }, *found = nullptr;
  if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 &&
      found != nullptr) {
    return found->pw_name;
  }
  return std::to_string(uid);
}

}  // namespace

Result<FolderLock, LockRefusal> FolderLock::TryTake(const std::string& folder) {
  // A file of its own, writable by its owner alone, locked for writing: a
  // lock needs the file open for writing, so someone who may only read the
  // folder can take no lock. Others may read it, to tell whether an update
  // of theirs still holds it.
  const std::string path = folder + "/.venmark-update.lock";
  for (int attempt = 0; attempt < 10; ++attempt) {
    const int fd =
        ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) {
      const int error = errno;
      struct stat file {};
      if ((error != EACCES && error != EPERM) ||
          ::lstat(path.c_str(), &file) != 0 || file.st_uid == ::geteuid()) {
        return Fail(LockRefusal{.error_number = error});
      }
      // Another user's lock: an update of theirs that runs, or one that
      // was killed and left its file behind, which is taken over.
      if (HeldByAnother(path, file)) return Fail(LockRefusal{});
      if (::unlink(path.c_str()) == 0 || errno == ENOENT) continue;
      return Fail(LockRefusal{.error_number = errno,
                              .stale_owner = UserName(file.st_uid),
                              .lock_file = path});
    }
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (::fcntl(fd, kSetLock, &lock) != 0) {
      const int error = errno == EACCES || errno == EAGAIN ? 0 : errno;
      ::close(fd);
      return Fail(LockRefusal{.error_number = error});
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
  return Fail(LockRefusal{});
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

Result<TempFile, SystemError> TempFile::CreateBeside(
    const std::string& target) {
  // mkostemp opens with O_CREAT | O_EXCL, so a link or file planted at the
  // name makes it try another name instead of following it.
  std::string path =
      (std::filesystem::path(FolderOf(target)) /
       (std::filesystem::path(target).filename().string() + ".new-XXXXXX"))
          .string();
  const int fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) return Fail(SystemError{errno});
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

int TempFile::FinishOnDisk(const std::string& target,
                           std::optional<std::int64_t> mtime,
                           bool* group_kept) {
  if (const int error = FlushBuffer(); error != 0) return error;
  // The file replaced keeps its owner, group and mode (root updating a
  // user's listing must not take it from them; a member updating a shared
  // group folder must not take it from the group); a new one follows the
  // umask, as any file the user makes.
  struct stat old {};
  if (::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    // Only root gives a file away; any member of a group may give it that
    // group.
    if (::fchown(Fd(handle_), old.st_uid, old.st_gid) != 0) {
      if (errno != EPERM) return errno;
      if (::fchown(Fd(handle_), static_cast<uid_t>(-1), old.st_gid) != 0) {
        if (errno != EPERM) return errno;
        *group_kept = false;
      }
    }
    // After chown, which may clear the set-id bits.
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

int TempFile::Rename(const std::string& target) {
  // rename replaces a link at target itself, never the file it points to.
  return std::rename(path_.c_str(), target.c_str()) == 0 ? 0 : errno;
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

}  // namespace venmark

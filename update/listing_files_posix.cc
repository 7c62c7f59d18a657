// Locking, temporary files and replacement on POSIX systems.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "lookup/listing_file.h"
#include "update/listing_files.h"

namespace venmark {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

}  // namespace

std::optional<FolderLock> FolderLock::TryTake(const std::string& folder,
                                              int* error_number) {
  // The folder itself carries the lock, so the lock leaves no file behind.
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    *error_number = errno;
    return std::nullopt;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    *error_number = errno == EWOULDBLOCK ? 0 : errno;
    ::close(fd);
    return std::nullopt;
  }
  return FolderLock(fd);
}

FolderLock::FolderLock(FolderLock&& other) noexcept : handle_(other.handle_) {
  other.handle_ = -1;
}

FolderLock::~FolderLock() {
  if (handle_ >= 0) ::close(Fd(handle_));
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
  struct stat old {};
  const mode_t mode = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)
                          ? old.st_mode & 07777
                          : 0644;
  if (::fchmod(Fd(handle_), mode) != 0) return errno;
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

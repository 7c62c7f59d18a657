#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/result.h"

namespace venmark {

// Why a folder's update lock was not taken.
struct LockRefusal {
  int error_number = 0;  // 0: another update holds it
  // A lock another user's killed update left, which this user may not
  // remove (a sticky folder): its owner's name, and the file.
  std::string stale_owner = {};
  std::string lock_file = {};
};

// The update lock of a folder, held for as long as the object lives; other
// updates that ask for it meanwhile are refused at once. It is a file in
// the folder that only those who may write there can take, removed again
// when the lock is let go; one that a killed update of another user left
// is taken over.
class FolderLock {
 public:
  // Takes the lock of folder, or tells why it cannot.
  static Result<FolderLock, LockRefusal> TryTake(const std::string& folder);
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&&) = delete;
  ~FolderLock();

 private:
  FolderLock(intptr_t handle, std::string path)
      : handle_(handle), path_(std::move(path)) {}
  intptr_t handle_;
  std::string path_;
};

// A new file beside target that no one else can have made or linked: it is
// created exclusively under a name of its own, and removed when the object
// goes unless it has replaced the target.
class TempFile {
 public:
  // Creates the file in target's folder.
  static Result<TempFile, SystemError> CreateBeside(const std::string& target);
  TempFile(TempFile&& other) noexcept;
  TempFile& operator=(TempFile&&) = delete;
  ~TempFile();

  const std::string& path() const { return path_; }

  // Appends bytes.
  Result<Done, SystemError> Write(std::string_view bytes);

  // Writes what is buffered, gives the file the owner, group and
  // permissions of target (or those the umask gives a new file) and
  // modification time mtime (seconds since 1970, when given), syncs it to disk
  // and closes it. Whether target's group was kept: where the user may not
  // give it (one they are no member of), the file goes on without it.
  Result<bool, SystemError> Finish(const std::string& target,
                                   std::optional<std::int64_t> mtime);

  // Puts the finished file in target's place in one step.
  Result<Done, SystemError> ReplaceTarget(const std::string& target);

 private:
  TempFile(intptr_t handle, std::string path)
      : handle_(handle), path_(std::move(path)) {}
  // The system's part of Write, Finish and ReplaceTarget: 0 or the errno
  // value of the first failure.
  int FlushBuffer();
  int FinishOnDisk(const std::string& target, std::optional<std::int64_t> mtime,
                   bool* group_kept);
  int Rename(const std::string& target);

  intptr_t handle_;
  std::string path_;
  std::vector<char> buffer_;
  bool placed_ = false;
};

// Makes the renames in folder survive a crash.
void SyncFolder(const std::string& folder);

}  // namespace venmark

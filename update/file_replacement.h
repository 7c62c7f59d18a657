#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace venmark {

// Why a folder's update lock was not taken.
struct LockRefusal {
  int error_number = 0;  // 0: another update holds it
  // A lock another user's killed update left, which this user may not
  // remove (a sticky folder): its owner's name, and the file.
  std::string stale_owner;
  std::string lock_file;
};

// The update lock of a folder, held for as long as the object lives; other
// updates that ask for it meanwhile are refused at once. It is a file in
// the folder that only those who may write there can take, removed again
// when the lock is let go; one that a killed update of another user left
// is taken over.
class FolderLock {
 public:
  // Takes the lock of folder; nothing, with *why, when it cannot.
  static std::optional<FolderLock> TryTake(const std::string& folder,
                                           LockRefusal* why);
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
  // Creates the file in target's folder. On failure returns nothing with
  // *error_number set.
  static std::optional<TempFile> CreateBeside(const std::string& target,
                                              int* error_number);
  TempFile(TempFile&& other) noexcept;
  TempFile& operator=(TempFile&&) = delete;
  ~TempFile();

  const std::string& path() const { return path_; }

  // Appends bytes; false with *error_number set when they cannot be written.
  bool Write(std::string_view bytes, int* error_number);

  // Writes what is buffered, gives the file the owner, group and
  // permissions of target (or those the umask gives a new file) and
  // modification time mtime (seconds since 1970, when given), syncs it to disk
  // and closes it. Where the user may not give target's group (one they
  // are no member of), sets *group_kept false and goes on. Returns 0 or the
  // errno value of the first failure.
  int Finish(const std::string& target, std::optional<std::int64_t> mtime,
             bool* group_kept);

  // Puts the finished file in target's place in one step. Returns 0 or the
  // errno value.
  int ReplaceTarget(const std::string& target);

 private:
  TempFile(intptr_t handle, std::string path)
      : handle_(handle), path_(std::move(path)) {}
  int FlushBuffer();

  intptr_t handle_;
  std::string path_;
  std::vector<char> buffer_;
  bool placed_ = false;
};

// Makes the renames in folder survive a crash.
void SyncFolder(const std::string& folder);

}  // namespace venmark

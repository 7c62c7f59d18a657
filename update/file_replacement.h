#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace venmark {

// The update lock of a folder, held for as long as the object lives; other
// updates that ask for it meanwhile are refused at once. It is a file in
// the folder that only those who may write there can take, removed again
// when the lock is let go.
class FolderLock {
 public:
  // Takes the lock of folder. When another holds it, returns nothing with
  // *error_number 0; on any other failure, with the errno value.
  static std::optional<FolderLock> TryTake(const std::string& folder,
                                           int* error_number);
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
  // and closes it. Returns 0 or the errno value of the first failure.
  int Finish(const std::string& target, std::optional<std::int64_t> mtime);

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

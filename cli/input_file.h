#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The system's own part of reading inputs and telling a terminal, one file
// per system (input_file_posix.cc, input_file_win32.cc).
namespace venmark {

// The bytes of each piece an input is read in when not read whole: a
// piece stays in the processor's cache while it is copied and scanned;
// smaller pieces cost more reads, larger ones go to memory.
inline constexpr std::size_t kPieceBytes = std::size_t{1} << 17;

// Opens the file called name (UTF-8) for reading; null with errno set.
std::FILE* OpenInput(const std::string& name);

// The size of file when it is a regular file.
bool RegularFileSize(std::FILE* file, std::uint64_t* size);

// Reads at most most bytes of file, waiting only while none have come: how
// many, 0 at the end, -1 with *error set.
long long ReadFrom(std::FILE* file, char* into, std::size_t most, int* error);

// Where in file its next read begins, for a file that can tell.
bool FilePosition(std::FILE* file, std::uint64_t* position);

// Reads a regular file at offsets of its own, apart from where its FILE
// reads, so that a second thread may read another part of it.
class FileAt {
 public:
  // A reader of file; !ok() where the system gives none.
  explicit FileAt(std::FILE* file);
  ~FileAt();
  FileAt(const FileAt&) = delete;
  FileAt& operator=(const FileAt&) = delete;

  bool ok() const { return handle_ != kNone; }

  // Reads at most most bytes from offset: how many, 0 at the end, -1
  // with *error set.
  long long Read(std::uint64_t offset, char* into, std::size_t most,
                 int* error);

 private:
  static constexpr std::intptr_t kNone = -1;
  std::intptr_t handle_ = kNone;  // the system's own, as a number
};

// Whether stream is a terminal.
bool IsTerminal(std::FILE* stream);

}  // namespace venmark

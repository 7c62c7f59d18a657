#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace venmark {

// A regular file mapped into memory for one scan, where the system maps
// files: nothing is copied, and the scanner sees the whole text at once.
// Should the file shrink meanwhile (a log truncated by its rotation), the
// pages past its new end read as zeros, as a read() would find it ended,
// instead of the program dying of SIGBUS. One mapping at a time.
class MappedInput {
 public:
  // The file open on fd from its start, or nothing when it is no regular
  // file, is empty, or cannot be mapped (the caller reads it instead).
  static std::optional<MappedInput> Map(int fd);

  MappedInput(MappedInput&& other) noexcept;
  MappedInput& operator=(MappedInput&&) = delete;
  MappedInput(const MappedInput&) = delete;
  ~MappedInput();

  std::string_view text() const { return {data_, size_}; }

  // 0, or EIO when a page could not be read though the file still reached
  // it when it faulted: a failing disk, not a shorter file, nor one that
  // grew again after it was cut short.
  int ReadError() const;

  // What the SIGBUS handler does with a fault at page_start (an offset in
  // the file): a page past the file's end now is no error. Safe in a
  // signal handler.
  static void NoteFault(std::size_t page_start);

 private:
  MappedInput(int fd, const char* data, std::size_t size);

  int fd_ = -1;
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace venmark

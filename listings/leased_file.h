#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace venmark {

// A listing file mapped under a read lease, where the system has leases
// (Linux). Mapping shares the page cache, so naming one MAC costs little
// more than opening the listings; the lease keeps the safety of reading
// them into memory: whoever then opens the file to write or cuts it is
// held by the kernel until this process has copied the bytes into its own
// memory, at the same address, and let the lease go. A cp over a listing
// in use therefore neither kills a scan nor mixes two files' bytes.
class LeasedFile {
 public:
  // The file at path mapped whole and leased; nothing where it is empty,
  // no regular file, larger than max_size, or the lease is refused (the
  // file has another owner, is open for writing, lies on a file system
  // without leases) or no system has leases: it is then read.
  static std::optional<LeasedFile> Map(const std::string& path,
                                       std::size_t max_size);

  // The signal a lease break comes as (0 where there are no leases). A
  // program that has a handler of its own for it gets no leases: its
  // listings are read.
  static int BreakSignal();

  LeasedFile(LeasedFile&& other) noexcept;
  LeasedFile& operator=(LeasedFile&& other) noexcept;
  LeasedFile(const LeasedFile&) = delete;
  LeasedFile& operator=(const LeasedFile&) = delete;
  ~LeasedFile();

  // The file's bytes as they were when it was mapped, for as long as this
  // object lives.
  std::string_view view() const { return {data_, size_}; }

  // Whether the bytes are still the file's own pages, not yet copied
  // because somebody came to write it.
  bool shared() const;

 private:
  LeasedFile(int slot, const char* data, std::size_t size)
      : slot_(slot), data_(data), size_(size) {}

  int slot_ = -1;  // in the table the lease-break handler reads
  const char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace venmark

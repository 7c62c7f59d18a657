#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>
#include <vector>

#include "cli/input_file.h"
#include "listings/file_read.h"
#include "scan/mac_scanner.h"

namespace venmark {

// The MACs of a long regular file's second half, read and found on a
// thread of its own while this one reads and scans the first. It begins
// at a line's start knowing nothing of the lines above, so it stops where
// a verdict would rest on them, where the text is no UTF-8, where its
// findings fill their room, or where a read fails: what it found up to
// there are the file's first findings from its start on, and the scan of
// the first half goes on from there itself.
class SecondHalf {
 public:
  // The room for findings, past which the first half's scan does the
  // rest: a finding takes about 40 bytes.
  static constexpr std::size_t kRoom = std::size_t{64} << 20;

  // Begins at the first line's start from the middle of what is left of
  // file, read bytes of which were read already, with room bytes for its
  // findings; started() is false when the file has none there, or no
  // reader or thread may be had.
  SecondHalf(std::FILE* file, std::uint64_t read, bool count_lines,
             std::size_t room = kRoom);
  ~SecondHalf();
  SecondHalf(const SecondHalf&) = delete;
  SecondHalf& operator=(const SecondHalf&) = delete;

  bool started() const { return thread_.has_value(); }

  // Where it begins, in bytes read from where the caller began.
  std::uint64_t start() const { return start_; }

  // Waits for the thread to end. Then: whether it found every MAC to the
  // end of the file, and how many it found.
  void Join();
  bool whole() const { return whole_; }
  std::size_t count() const { return count_; }

  // Hands each finding, in order, to found until it returns false, their
  // lines counted from first_line, the line the start stands on. After
  // Join.
  template <typename Found>
  void Each(std::size_t first_line, Found&& found) const {
    for (const Chunk& chunk : chunks_) {
      for (const char* at = chunk.bytes.get();
           at < chunk.bytes.get() + chunk.used;) {
        MacFinding finding;
        at = Unpack(at, &finding);
        if (finding.line != 0) finding.line += first_line - 1;
        if (!found(finding)) return;
      }
    }
  }

 private:
  // A finding is kept packed: what the writers need of it and the bytes
  // written, the fewer fresh pages the better.
  struct Chunk {
    ByteBuffer bytes;
    std::size_t used = 0;
  };
  static constexpr std::size_t kChunkBytes = std::size_t{2} << 20;
  static constexpr std::size_t kPackedBytes = 3 + 2 * sizeof(std::uint64_t);
  // The finding packed at `at` into *finding, its view of the bytes
  // there; where the next begins.
  static const char* Unpack(const char* at, MacFinding* finding);

  void Run();
  // Keeps finding; false when there is no room for it.
  bool Keep(const MacFinding& finding);

  FileAt reader_;
  std::uint64_t offset_ = 0;  // of the start in the file
  std::uint64_t start_ = 0;
  bool count_lines_;
  std::size_t room_;
  std::atomic<bool> stop_{false};
  std::vector<Chunk> chunks_;
  std::size_t count_ = 0;
  bool whole_ = false;
  std::optional<std::thread> thread_;
};

}  // namespace venmark

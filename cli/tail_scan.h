#pragma once

#include <cstddef>
#include <exception>
#include <new>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "listings/file_read.h"
#include "scan/mac_scanner.h"

namespace venmark {

// The MACs of a long text's second half, found on a thread of their own
// while this one scans the first: for a text read whole, scanning is the
// larger part of the work, and the naming thread has time to spare. The
// scanner sees the whole text, so the findings are those of one scan.
class TailScan {
 public:
  // Finds the MACs of text that start at from or later, their lines
  // numbered from the text's start when count_lines; where no thread may
  // start, they are found when asked for. text outlives the object.
  TailScan(std::string_view text, std::size_t from, bool count_lines);
  ~TailScan();
  TailScan(const TailScan&) = delete;
  TailScan& operator=(const TailScan&) = delete;

  // Hands each finding, in text order, to found until it returns false.
  // Waits for the thread; rethrows what it threw.
  template <typename Found>
  void Each(Found&& found) {
    if (!thread_) {
      MacScanner scanner = Scanner();
      while (const std::optional<MacFinding> finding = scanner.Next()) {
        if (!found(*finding)) return;
      }
      return;
    }
    Join();
    for (const Chunk& chunk : found_) {
      const auto* findings =
          reinterpret_cast<const MacFinding*>(chunk.bytes.get());
      for (std::size_t i = 0; i < chunk.size; ++i) {
        if (!found(findings[i])) return;
      }
    }
  }

 private:
  MacScanner Scanner() const;
  void Run();
  void Join();

  std::string_view text_;
  std::size_t from_;
  bool count_lines_;
  // Findings kept in chunks of a large page each: no copies as they grow,
  // and one page to clear where small ones would be touched one by one.
  struct Chunk {
    ByteBuffer bytes;
    std::size_t size = 0;
  };
  static constexpr std::size_t kChunkBytes = std::size_t{2} << 20;
  static constexpr std::size_t kPerChunk = kChunkBytes / sizeof(MacFinding);
  std::vector<Chunk> found_;
  std::exception_ptr failure_;
  std::optional<std::thread> thread_;
};

// Where a text is split for a TailScan: the start of the first line from
// its middle on; text.size() when none starts there.
std::size_t HalfwayLine(std::string_view text);

}  // namespace venmark

#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "cli/input_file.h"
#include "listings/file_read.h"
#include "scan/mac_scanner.h"

namespace venmark {

// The MACs of a long regular file's second part, read and found on a
// thread of its own while this one reads and scans the first. It begins
// at a line's start knowing nothing of the lines above, so it stops where
// a verdict would rest on them, where the text is no UTF-8, where its
// findings fill their room, or where a read fails: what it found up to
// there are the file's first findings from its start on, and the scan of
// the first part goes on from there itself.
class SecondHalf {
 public:
  // The room for findings, past which the first part's scan does the
  // rest: a finding takes about 40 bytes, and the room taken is given
  // back as they are handed on.
  static constexpr std::size_t kRoom = std::size_t{64} << 20;

  // Begins at the first line's start from two fifths of
  // what is left of file, read bytes of which were read already, with
  // room bytes for its findings; started() is false when the file has no
  // line start there, or no reader or thread may be had.
  SecondHalf(std::FILE* file, std::uint64_t read, bool count_lines,
             std::size_t room = kRoom);
  ~SecondHalf();
  SecondHalf(const SecondHalf&) = delete;
  SecondHalf& operator=(const SecondHalf&) = delete;

  bool started() const { return thread_.has_value(); }

  // Where it begins, in bytes read from where the caller began.
  std::uint64_t start() const { return start_; }

  // Hands each finding, in order, to found as the thread finds them, until
  // it ends or found returns false, their lines counted from first_line,
  // the line the start stands on. How many were handed on.
  template <typename Found>
  std::size_t Each(std::size_t first_line, Found&& found) {
    std::size_t handed = 0;
    for (std::vector<Span> spans; Take(&spans);) {
      for (const Span& span : spans) {
        for (const char* at = span.begin; at < span.end;) {
          MacFinding finding;
          at = Unpack(at, &finding);
          if (finding.line != 0) finding.line += first_line - 1;
          ++handed;
          if (!found(finding)) return handed;
        }
        if (span.chunk_done) GiveBack(span.chunk);
      }
    }
    return handed;
  }

  // Once Each has handed on all: whether they are every MAC to the end
  // of the file.
  bool whole() const { return whole_; }

 private:
  // Findings are kept packed, what the writers need of each and the bytes
  // written, in chunks of a large page: the fewer fresh pages the better.
  static constexpr std::size_t kChunkBytes = std::size_t{2} << 20;
  static constexpr std::size_t kPackedBytes = 3 + 2 * sizeof(std::uint64_t);
  // Findings found and not handed on yet: bytes of one chunk, the chunk
  // given back once they are, when the thread has left it.
  struct Span {
    const char* begin;
    const char* end;
    char* chunk;
    bool chunk_done;
  };
  // The finding packed at `at` into *finding, its view of the bytes
  // there; where the next begins.
  static const char* Unpack(const char* at, MacFinding* finding);

  void Run();
  // Keeps finding; false when there is no room for it.
  bool Keep(const MacFinding& finding);
  // Hands on what was kept since the last time.
  void Publish();
  // Forgets what was kept since then.
  void TakeBack();
  // Waits for findings not handed on yet into *spans; false once the
  // thread has ended and all are handed on.
  bool Take(std::vector<Span>* spans);
  void GiveBack(char* chunk);

  FileAt reader_;
  std::uint64_t offset_ = 0;  // of the start in the file
  std::uint64_t start_ = 0;
  bool count_lines_;
  std::size_t room_;
  std::atomic<bool> stop_{false};

  // The thread's own.
  char* chunk_ = nullptr;  // being filled
  std::size_t used_ = 0;
  char* published_chunk_ = nullptr;  // up to where it is handed on
  std::size_t published_used_ = 0;
  struct Filled {
    char* chunk;
    std::size_t used;
  };
  std::vector<Filled> filled_;  // left since then

  std::mutex mutex_;  // guards what follows
  std::condition_variable more_;
  std::vector<ByteBuffer> chunks_;
  std::vector<char*> spare_;
  std::vector<Span> ready_;
  bool ended_ = false;
  bool whole_ = false;

  std::optional<std::thread> thread_;
};

}  // namespace venmark

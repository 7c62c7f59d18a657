#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory_resource>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/line_writer.h"
#include "listings/file_read.h"
#include "scan/mac_scanner.h"

namespace venmark {

// Looks findings up and writes their lines on a second thread, a few
// batches behind the scan, for a long text: scanning and naming take about
// as long each. While it runs, only its thread touches the listings and
// the output.
class BatchedWriter {
 public:
  explicit BatchedWriter(LineWriter* writer);
  ~BatchedWriter();
  BatchedWriter(const BatchedWriter&) = delete;
  BatchedWriter& operator=(const BatchedWriter&) = delete;

  // Starts the second thread, where one may start: not under a process
  // limit, a pids cgroup of one, or with no memory for its stack. Whether
  // it did, started() tells; if not, the caller writes the lines itself.
  // The thread calls prepare first (the listings' indexes, built while
  // this one scans the first batch).
  void Start(std::function<void()> prepare = nullptr);
  bool started() const { return thread_.has_value(); }

  // Takes finding, its MAC's text copied: the piece it stands in is
  // reused. False once the output has failed.
  bool Add(const MacFinding& finding);

  // Takes the lines in *lines, named on the caller's thread, after the
  // findings taken before them; *lines is left empty, with room of an
  // earlier batch's. False once the output has failed.
  bool AddNamed(std::string* lines);

  // Waits until the second thread has prepared; false if that failed.
  // Then the listings may be looked up on this thread too.
  bool WaitPrepared();

  // Hands on what is taken and waits until every line of it is written;
  // then the listings and the output are the caller's again. Rethrows
  // what the writing thread threw.
  void Drain();

 private:
  // Findings with their MACs' text, one after another; or the lines of
  // findings named already.
  struct Batch {
    explicit Batch(std::pmr::memory_resource* memory)
        : findings(memory), text(memory), at(memory) {}
    std::pmr::vector<MacFinding> findings;
    std::pmr::string text;
    std::pmr::vector<std::size_t> at;  // where each finding's copy starts
    // The lines, their room handed back and forth with the caller's.
    std::string lines;
  };
  static constexpr std::size_t kBatch = 4096;
  static constexpr std::size_t kWaiting = 4;  // a slow output holds the scan

  void Run(const std::function<void()>& prepare);
  // Queues the batch being filled; false once the writer has stopped.
  bool Push();
  // Fills a batch written before, where the one being filled has no room.
  void TakeSpare();

  LineWriter* writer_;
  // The batches' memory, a few large pages handed out on the scanning
  // thread alone: on a virtual machine, small pages touched for the first
  // time cost more than the findings put in them. Batches are used again,
  // not given back.
  static constexpr std::size_t kPoolBytes = std::size_t{4} << 20;
  ByteBuffer pool_bytes_;
  char no_pool_ = 0;  // where no large pages could be had
  std::pmr::monotonic_buffer_resource pool_;
  Batch filling_;
  std::optional<std::thread> thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> batches_;
  // Batches written, their memory kept for the scan to fill again: at most
  // as many as may be on the way at once (kWaiting, the one written and
  // the one filled).
  std::vector<Batch> spare_;
  bool busy_ = false;      // the writer is at a batch taken off the queue
  bool prepared_ = false;  // the writer has prepared
  bool closed_ = false;    // no batch follows: the writer ends
  bool stopped_ = false;   // the writer takes no more (output failed)
  std::exception_ptr failure_;
};

}  // namespace venmark

#include "cli/whole_text.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <system_error>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "scan/mac_scanner.h"

namespace venmark {
namespace {

// Findings with their MACs' text copied: the writing thread may come to
// them after the file was cut short under the mapping, where the text
// now reads as zeros.
struct Batch {
  std::vector<MacFinding> findings;
  std::string text;              // the MACs' copies, one after another
  std::vector<std::size_t> at;   // where each finding's copy starts

  void Add(const MacFinding& finding) {
    at.push_back(text.size());
    text.append(finding.candidate_mac);
    findings.push_back(finding);
  }
  // Room for `room` findings, so that filling a batch copies nothing
  // twice.
  explicit Batch(std::size_t room) {
    findings.reserve(room);
    at.reserve(room);
    text.reserve(room * 17);  // "00:1a:2b:3c:4d:5e", the usual length
  }
  // Points each finding at its copy, now that the text no longer grows.
  void Seal() {
    for (std::size_t i = 0; i < findings.size(); ++i) {
      findings[i].candidate_mac = std::string_view(text).substr(
          at[i], findings[i].candidate_mac.size());
    }
  }
};

// Batches of findings handed from the scanning thread to the writing one;
// a few wait at most, so that a slow output holds the scan back instead of
// filling the memory.
class BatchQueue {
 public:
  // Waits while the queue is full; false once the writer has stopped.
  bool Push(Batch batch) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || batches_.size() < kWaiting; });
    if (stopped_) return false;
    batches_.push_back(std::move(batch));
    changed_.notify_all();
    return true;
  }

  // The next batch, waiting for one; nothing once Close was called and all
  // are taken.
  std::optional<Batch> Pop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return closed_ || !batches_.empty(); });
    if (batches_.empty()) return std::nullopt;
    Batch batch = std::move(batches_.front());
    batches_.pop_front();
    changed_.notify_all();
    return batch;
  }

  // No batch follows.
  void Close() {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }

  // The writer takes no more (the output failed): Push returns false.
  void Stop() {
    const std::lock_guard lock(mutex_);
    stopped_ = true;
    changed_.notify_all();
  }

 private:
  static constexpr std::size_t kWaiting = 4;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Batch> batches_;
  bool closed_ = false, stopped_ = false;
};

// Scans on this thread alone, writing each finding's lines as it comes.
void ScanHere(MacScanner* scanner, LineWriter* writer) {
  while (const std::optional<MacFinding> finding = scanner->Next()) {
    if (!writer->Write(*finding)) return;
  }
}

// Scans on this thread while a second looks the findings up and writes
// their lines, a few batches behind. The second thread indexes the MA-L
// listing while this one indexes the listings of blocks and scans the first
// batch; the queue hands those indexes over with the batch, and from then
// on only the second thread touches the listings. False, with nothing
// done, where no second thread may start.
bool ScanOnTwoThreads(MacScanner* scanner, const ListingSet& listings,
                      LineWriter* writer) {
  BatchQueue queue;
  std::exception_ptr failure;
  std::optional<std::thread> writing;
  try {
    writing.emplace([&] {
      try {
        listings.ma_l().Index();
        while (const std::optional<Batch> batch = queue.Pop()) {
          for (const MacFinding& finding : batch->findings) {
            if (!writer->Write(finding)) {
              queue.Stop();
              return;
            }
          }
        }
      } catch (...) {
        failure = std::current_exception();
        queue.Stop();
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  try {
    listings.IndexBlocks();
    constexpr std::size_t kBatch = 4096;
    Batch batch(kBatch);
    for (bool more = true; more;) {
      std::optional<MacFinding> finding = scanner->Next();
      more = finding.has_value();
      if (more) batch.Add(*finding);
      if ((batch.findings.size() == kBatch || !more) &&
          !batch.findings.empty()) {
        batch.Seal();
        if (!queue.Push(std::exchange(batch, Batch(kBatch)))) break;
      }
    }
  } catch (...) {
    queue.Close();
    writing->join();
    throw;
  }
  queue.Close();
  writing->join();
  if (failure) std::rethrow_exception(failure);
  return true;
}

}  // namespace

void ScanWhole(std::string_view text, const ListingSet& listings,
               ResultFormat format, Output* out) {
  MacScanner scanner(text);
  if (format != ResultFormat::kText) scanner.CountLines(1);
  LineWriter writer(listings, format, out);
  // A long text on two threads; where no second thread is to be had (a
  // process limit, a pids cgroup, no memory for its stack), on this one.
  if (text.size() < ListingSet::kLongText ||
      !ScanOnTwoThreads(&scanner, listings, &writer)) {
    ScanHere(&scanner, &writer);
  }
  out->Flush();
}

}  // namespace venmark

#include "cli/batched_writer.h"

#include <new>
#include <system_error>
#include <utility>

namespace venmark {
namespace {

// Room of size bytes in large pages, or none where the memory is short.
ByteBuffer TryAllocate(std::size_t size) {
  try {
    return AllocateBytes(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

BatchedWriter::BatchedWriter(LineWriter* writer)
    : writer_(writer),
      pool_bytes_(TryAllocate(kPoolBytes)),
      pool_(pool_bytes_ ? pool_bytes_.get() : &no_pool_,
            pool_bytes_ ? kPoolBytes : 1),
      filling_(&pool_) {}

BatchedWriter::~BatchedWriter() {
  if (!thread_) return;
  {
    const std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }
  thread_->join();
}

void BatchedWriter::Start(std::function<void()> prepare) {
  // Busy while it prepares: Drain waits for that too.
  busy_ = prepare != nullptr;
  try {
    thread_.emplace([this, prepare = std::move(prepare)] { Run(prepare); });
  } catch (const std::system_error&) {
    // No second thread: started() stays false, and nothing waits on busy_.
  }
}

void BatchedWriter::Run(const std::function<void()>& prepare) {
  std::unique_lock lock(mutex_, std::defer_lock);
  if (prepare) {
    std::exception_ptr failure;
    try {
      prepare();
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    busy_ = false;
    prepared_ = failure == nullptr;
    changed_.notify_all();
    if (failure) {
      failure_ = failure;
      stopped_ = true;
      return;
    }
  } else {
    lock.lock();
    prepared_ = true;
    changed_.notify_all();
  }
  for (;;) {
    changed_.wait(lock, [&] { return closed_ || !batches_.empty(); });
    if (batches_.empty()) return;
    Batch batch = std::move(batches_.front());
    batches_.pop_front();
    busy_ = true;
    changed_.notify_all();
    lock.unlock();
    // Each finding points at its copy, in the batch's final place.
    for (std::size_t i = 0; i < batch.findings.size(); ++i) {
      batch.findings[i].candidate_mac =
          std::string_view(batch.text)
              .substr(batch.at[i], batch.findings[i].candidate_mac.size());
    }
    bool written = true;
    try {
      if (!batch.lines.empty()) written = writer_->WriteNamed(batch.lines);
      for (MacFinding& finding : batch.findings) {
        if (!writer_->Write(finding)) {
          written = false;
          break;
        }
      }
    } catch (...) {
      lock.lock();
      failure_ = std::current_exception();
      written = false;
      lock.unlock();
    }
    batch.findings.clear();
    batch.text.clear();
    batch.at.clear();
    batch.lines.clear();
    lock.lock();
    // Every batch comes back: one given up would leave its memory in the
    // pool for good, and a scan of a pipe may run for days.
    spare_.push_back(std::move(batch));
    busy_ = false;
    if (!written) {
      stopped_ = true;
      batches_.clear();
    }
    changed_.notify_all();
  }
}

bool BatchedWriter::Add(const MacFinding& finding) {
  TakeSpare();
  if (filling_.findings.empty()) {
    filling_.findings.reserve(kBatch);
    filling_.at.reserve(kBatch);
    filling_.text.reserve(kBatch * 17);  // "00:1a:2b:3c:4d:5e", the usual
  }
  filling_.at.push_back(filling_.text.size());
  filling_.text.append(finding.candidate_mac);
  filling_.findings.push_back(finding);
  return filling_.findings.size() < kBatch || Push();
}

void BatchedWriter::TakeSpare() {
  if (filling_.findings.capacity() != 0) return;
  const std::lock_guard lock(mutex_);
  if (!spare_.empty()) {
    filling_ = std::move(spare_.back());
    spare_.pop_back();
  }
}

bool BatchedWriter::Push() {
  Batch batch = std::exchange(filling_, Batch(&pool_));
  if (batch.findings.empty() && batch.lines.empty()) {
    // Its room comes back for the next.
    filling_ = std::move(batch);
    return true;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopped_ || batches_.size() < kWaiting; });
  if (stopped_) return false;
  batches_.push_back(std::move(batch));
  changed_.notify_all();
  return true;
}

bool BatchedWriter::AddNamed(std::string* lines) {
  if (!Push()) return false;
  TakeSpare();
  filling_.lines.swap(*lines);
  return Push();
}

bool BatchedWriter::WaitPrepared() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return prepared_ || stopped_; });
  return prepared_;
}

void BatchedWriter::Drain() {
  if (!thread_) return;
  Push();
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return stopped_ || (batches_.empty() && !busy_); });
  if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

}  // namespace venmark

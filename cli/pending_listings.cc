#include "cli/pending_listings.h"

#include <system_error>
#include <utility>

namespace venmark {

PendingListings::PendingListings(
    std::function<std::optional<LiveListings>()> load) {
  try {
    thread_.emplace([this, load] {
      try {
        listings_ = load();
      } catch (...) {
        failure_ = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    // A process limit or a pids cgroup of one: read them on this thread.
    listings_ = load();
  }
}

PendingListings::PendingListings(LiveListings listings)
    : listings_(std::move(listings)) {}

PendingListings::~PendingListings() {
  const std::lock_guard lock(mutex_);
  Join();
}

void PendingListings::Join() {
  if (!thread_) return;
  thread_->join();
  thread_.reset();
}

LiveListings* PendingListings::Get() {
  const std::lock_guard lock(mutex_);
  Join();
  if (failure_) std::rethrow_exception(failure_);
  return listings_ ? &*listings_ : nullptr;
}

}  // namespace venmark

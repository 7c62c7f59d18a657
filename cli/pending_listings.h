#pragma once

#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

#include "listings/live_listings.h"

namespace venmark {

// The listings of a scan, read on a thread of their own while the first
// input is read and scanned: reading ten megabytes of listings then costs
// a long text nothing, as only naming waits for them.
class PendingListings {
 public:
  // Starts load on a second thread, or calls it at once where no thread
  // may start; load returns nothing when there are no listings to answer.
  explicit PendingListings(std::function<std::optional<LiveListings>()> load);
  // Listings already read.
  explicit PendingListings(LiveListings listings);
  ~PendingListings();
  PendingListings(const PendingListings&) = delete;
  PendingListings& operator=(const PendingListings&) = delete;

  // The listings, once read; nullptr when there are none. Waits for them;
  // any thread may ask. Rethrows what reading them threw.
  LiveListings* Get();

 private:
  void Join();

  std::mutex mutex_;
  std::exception_ptr failure_;
  std::optional<std::thread> thread_;  // joined by the first Get
  std::optional<LiveListings> listings_;
};

}  // namespace venmark

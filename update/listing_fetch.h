#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "listings/problem.h"
#include "update/file_replacement.h"
#include "update/listing_update.h"
#include "update/transport.h"
#include "update/update_problem.h"

// Fetching one listing of an update: the transfer, the retry with a
// browser's agent, the checks of what arrived, the deadline of the whole.
namespace venmark {

// One of the listings the update fetches.
struct ListingToFetch {
  ListingKind kind;
  std::string url;
  std::string target;               // the file it replaces
  std::size_t current_records = 0;  // of the listing it is held to; 0: none
  UpdateProblem refused = {};       // why it is not fetched; kNone: it is
  bool exists = false;              // whether target is there now
};

// A listing downloaded and checked, waiting to be put in place.
struct Fetched {
  TempFile file;
  std::size_t records = 0;
};
// A listing fetched, or why it was not.
using FetchedListing = Result<Fetched, UpdateProblem>;

// Fetches the listings of one update, one after another, within its time.
class ListingFetcher {
 public:
  using Clock = std::chrono::steady_clock;

  ListingFetcher(const UpdateOptions& options, Transport& transport,
                 const UpdateProgress& progress);

  bool cancelled() const { return cancelled_; }
  // What went right only in part: files whose group could not be kept.
  const std::vector<UpdateProblem>& notes() const { return notes_; }

  // How many listings the update fetches, for the steps it reports.
  void Expect(std::size_t listings) { step_.listings = listings; }

  // Downloads and checks one listing; on cancel returns with cancelled().
  FetchedListing Fetch(const ListingToFetch& listing);

  // Reports received bytes of total (-1: unknown) of the listing being
  // fetched; false when the user has asked to stop.
  bool KeepGoing(std::int64_t received, std::int64_t total);

  // Asks once more, the last step standing; false when the user has asked
  // to stop.
  bool StillWanted();

 private:
  // What comes after one try at a listing.
  enum class Then {
    kDone,       // fetched, or failed for good
    kRetry,      // turned away: try again with a browser's agent
    kCancelled,  // the user asked to stop
  };
  struct Attempt {
    Then then;
    FetchedListing fetched;  // for kDone
  };
  static Attempt Got(FetchedListing fetched) {
    return {Then::kDone, std::move(fetched)};
  }
  static Attempt Failed(UpdateProblem problem) {
    return {Then::kDone, Fail(std::move(problem))};
  }
  static Attempt Retry() { return {Then::kRetry, Fail(UpdateProblem{})}; }
  static Attempt Cancelled() {
    return {Then::kCancelled, Fail(UpdateProblem{})};
  }

  // Once with the transport's own agent, and once more with a browser's
  // when the server turns that away: whether there is that once more.
  bool TryBrowserAgent();
  Attempt FetchOnce(const ListingToFetch& listing);
  // The request for listing, with left of the update's time.
  FetchRequest RequestFor(const ListingToFetch& listing,
                          std::chrono::milliseconds left) const;
  // Why a transfer that failed failed, as the update tells it.
  UpdateProblem ProblemOf(const FetchResult& result) const;
  // Writes the file of a whole transfer to disk, then checks it.
  Attempt Finish(const ListingToFetch& listing, TempFile file,
                 const FetchResult& result);
  // Reads the download back as the program will read it.
  Attempt Check(const ListingToFetch& listing, TempFile file);
  UpdateProblem TimeLimit() const;

  const UpdateOptions& options_;
  Transport& transport_;
  const UpdateProgress& progress_;
  const Clock::time_point deadline_;
  std::string agent_;
  UpdateStep step_;
  std::size_t started_ = 0;  // listings whose fetch has begun
  std::vector<UpdateProblem> notes_;
  bool cancelled_ = false;
};

}  // namespace venmark

#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "listings/file_read.h"
#include "listings/listing_set.h"
#include "listings/problem.h"

namespace venmark {

// The listings of a scan that may run for hours (tail -f | venmark-scan):
// held in memory, and loaded again, whole, once new files put in their
// place have settled: the same across two looks kQuietTime apart. A file
// still being written is never taken up.
class LiveListings {
 public:
  // The MA-L listing at ma_l_path with its companions, or why they cannot
  // be read. A change is taken up once it looks the same after quiet.
  static Result<LiveListings, ListingProblem> Load(
      const std::string& ma_l_path,
      std::chrono::milliseconds quiet = kQuietTime);

  // The listings answering now; valid until a Refresh that returns true.
  const ListingSet& current() const { return *set_; }

  // Loads the listings again when a file of them has changed since they
  // were read and has settled; true when the new ones answer from now on.
  // Files that fail to read leave the old listings answering.
  bool Refresh();

 private:
  LiveListings(std::string path, std::chrono::milliseconds quiet);
  // The stamps of the MA-L listing, each companion's place and each
  // names file's.
  std::vector<FileStamp> Stamps() const;

  std::string path_;
  std::chrono::milliseconds quiet_;
  std::unique_ptr<ListingSet> set_;
  std::vector<FileStamp> stamps_;
  // Stamps that differ from stamps_, and when they were first seen.
  std::vector<FileStamp> pending_;
  std::chrono::steady_clock::time_point pending_since_;
};

}  // namespace venmark

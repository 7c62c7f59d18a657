#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listings/listing_kinds.h"
#include "listings/problem.h"
#include "update/transport.h"
#include "update/update_problem.h"

namespace venmark {

// Where the IEEE Registration Authority publishes its listings, over TLS
// so that no one on the way can hand over a listing of their own.
inline constexpr char kIeeeOrigin[] = "https://standards-oui.ieee.org";

// The addresses of the listings, one for each kind of the table: URLs, or
// the paths of files.
struct UpdateSources {
  std::array<std::string, kListingKindCount> urls;
  bool local = false;  // paths of files, read from a folder

  std::string& operator[](ListingKind kind) { return urls[IndexOf(kind)]; }
  const std::string& operator[](ListingKind kind) const {
    return urls[IndexOf(kind)];
  }
};

// The IEEE's addresses of the listings, on origin ("https://host:port").
UpdateSources IeeeSources(std::string_view origin = kIeeeOrigin);

// Asked for when a server refuses the transport's own agent: the IEEE's
// server filters clients by agent and lets browsers through.
inline constexpr char kBrowserAgent[] =
    "Mozilla/5.0 (X11; Linux x86_64; rv:128.0) Gecko/20100101 Firefox/128.0";

struct UpdateOptions {
  // The MA-L listing; its companions are the ones beside it.
  std::string listing = "base.dat";
  // The MA-L listing in use, whose record counts (and its companions')
  // a new listing is held to where the one it replaces is not there yet;
  // empty: none.
  std::string reference;
  UpdateSources sources = IeeeSources();
  std::string user_agent;  // empty: the transport's own
  std::string fallback_agent = kBrowserAgent;
  std::chrono::seconds connect_timeout{30};
  // A transfer slower than this many bytes a second for low_speed_time has
  // stalled.
  long low_speed_bytes = 100;
  std::chrono::seconds low_speed_time{60};
  // For the whole update, every listing.
  std::chrono::seconds time_limit{600};
  std::int64_t max_bytes = std::int64_t{64} << 20;  // for each listing
};

enum class UpdateStatus { kUpdated, kCancelled, kFailed };

// A companion that kept its old file, and why.
struct KeptListing {
  ListingKind kind = ListingKind::kMaS;
  std::string path;
  UpdateProblem why;
  bool existed = true;  // false: there was no file to keep, and still is none
};

struct UpdateResult {
  UpdateStatus status = UpdateStatus::kFailed;
  // For kFailed, what failed.
  UpdateProblem problem;
  // Record lines in the new MA-L listing, for kUpdated.
  std::size_t records = 0;
  // For kUpdated: each companion that kept its old file.
  std::vector<KeptListing> kept = {};
  // For kUpdated: what went right only in part (kGroupNotKept).
  std::vector<UpdateProblem> notes = {};
};

// Where an update stands: which listing arrives, and how much of it.
struct UpdateStep {
  std::size_t listing = 0;   // which of those fetched, from 0
  std::size_t listings = 0;  // how many are fetched
  ListingKind kind = ListingKind::kMaL;
  std::int64_t received = 0;  // its bytes so far
  std::int64_t total = -1;    // its size, -1 while none is known
  bool over = false;          // it has arrived or failed
};

// Told where the update stands, as often as a transfer reports; returns
// false to cancel the update.
using UpdateProgress = std::function<bool(const UpdateStep& step)>;

// Downloads the listings of every kind, each to a file of its own beside the
// one it replaces, checks each with the program's own readers, and only then
// puts them in place: none when the MA-L listing fails or the update is
// cancelled, and every other kind's that passed when it does not. One update
// at a time per folder.
UpdateResult UpdateListings(const UpdateOptions& options, Transport& transport,
                            const UpdateProgress& progress = {});

}  // namespace venmark

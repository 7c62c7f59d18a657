#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace venmark {

// Where the IEEE Registration Authority publishes its OUI listing.
inline constexpr char kIeeeListingUrl[] =
    "http://standards-oui.ieee.org/oui.txt";

struct UpdateOptions {
  std::string url = kIeeeListingUrl;
  std::string database = "base.dat";
  // Must be in the database's folder, so that it can be renamed over it.
  std::string download = "downloaded-new-base.dat";
  std::string user_agent = "Venmark/1.0 (MAC vendor lookup)";
  long connect_timeout_seconds = 30;
  // A transfer slower than this many bytes a second for low_speed_seconds
  // has stalled.
  long low_speed_bytes = 100;
  long low_speed_seconds = 60;
  std::int64_t max_bytes = std::int64_t{64} << 20;
};

enum class UpdateStatus { kUpdated, kCancelled, kFailed };

struct UpdateResult {
  UpdateStatus status = UpdateStatus::kFailed;
  // For kFailed, a Russian sentence saying what failed.
  std::string message;
  // Record lines in the new listing, for kUpdated.
  std::size_t records = 0;
};

// Told how many bytes have arrived of how many (0 while unknown); returns
// false to cancel the download.
using UpdateProgress =
    std::function<bool(std::int64_t received, std::int64_t total)>;

// Downloads the listing into options.download and, only when it arrived
// whole, with HTTP 200, and reads as a listing at least half the size of the
// current one, renames it over options.database. Otherwise the download is
// removed and the database is left exactly as it was.
UpdateResult UpdateDatabase(const UpdateOptions& options,
                            const UpdateProgress& progress = {});

}  // namespace venmark

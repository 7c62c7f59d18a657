#include "update/listing_update.h"

#include <array>
#include <filesystem>
#include <optional>

#include "listings/block_listing.h"
#include "listings/listing_file.h"
#include "listings/listing_set.h"
#include "listings/mal_listing.h"
#include "update/file_replacement.h"
#include "update/update_checks.h"

namespace venmark {
namespace {

using Clock = std::chrono::steady_clock;

// How close to the update's deadline a failed transfer counts as having
// run out of time.
constexpr std::chrono::milliseconds kTimeSlack{1000};

// A server's Last-Modified as the listing's day, where it can be one: not
// before the IEEE published listings on the web, not in the future (a
// clock or a proxy gone wrong would make the age warning fire at once, or
// never). Otherwise the day of the download.
std::optional<std::int64_t> Plausible(std::optional<std::int64_t> date) {
  constexpr std::int64_t kEarliest = 946684800;  // 2000-01-01
  const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  if (!date || *date < kEarliest || *date > now + 24 * 60 * 60) {
    return std::nullopt;
  }
  return date;
}

// One of the four listings the update fetches.
struct Listing {
  std::optional<BlockKind> kind;  // nothing: the MA-L listing
  std::string url;
  std::string target;               // the file it replaces
  bool blocks;                      // read as a block listing, not as MA-L
  std::size_t current_records = 0;  // of the listing it is held to; 0: none
  UpdateProblem refused = {};       // why it is not fetched; kNone: it is
};

// A listing downloaded and checked, waiting to be put in place.
struct Fetched {
  std::optional<TempFile> file;
  std::size_t records = 0;
  UpdateProblem problem;  // when file is empty and the update goes on
};

class Updater {
 public:
  Updater(const UpdateOptions& options, Transport& transport,
          const UpdateProgress& progress)
      : options_(options),
        transport_(transport),
        progress_(progress),
        deadline_(Clock::now() + options.time_limit),
        agent_(options.user_agent.empty() ? transport.OwnAgent()
                                          : options.user_agent) {}

  bool cancelled() const { return cancelled_; }
  // What went right only in part: files whose group could not be kept.
  const std::vector<UpdateProblem>& notes() const { return notes_; }

  // Downloads and checks one listing; on cancel returns with cancelled().
  Fetched Fetch(const Listing& listing) {
    for (;;) {
      Fetched fetched = FetchOnce(listing);
      if (!retry_) return fetched;
      retry_ = false;
    }
  }

  // False when the user has asked to stop.
  bool KeepGoing(std::int64_t received) {
    if (progress_ && !progress_(done_ + received)) cancelled_ = true;
    return !cancelled_;
  }

 private:
  // Once with the transport's own agent, and once more with a browser's
  // when the server turns that away.
  bool TryBrowserAgent() {
    if (agent_ == options_.fallback_agent) return false;
    agent_ = options_.fallback_agent;
    retry_ = true;
    return true;
  }

  Fetched Failure(UpdateProblem problem) {
    Fetched fetched;
    fetched.problem = std::move(problem);
    return fetched;
  }

  Fetched FetchOnce(const Listing& listing) {
    int error = 0;
    std::optional<TempFile> file =
        TempFile::CreateBeside(listing.target, &error);
    if (!file) {
      return Failure({.kind = UpdateFailure::kCannotCreate,
                      .path = FolderOf(listing.target),
                      .error_number = error});
    }
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline_ - Clock::now());
    if (left.count() <= 0) return Failure(TimeLimit());
    FetchRequest request;
    request.url = listing.url;
    request.user_agent = agent_;
    request.connect_timeout = options_.connect_timeout;
    request.low_speed_bytes = options_.low_speed_bytes;
    request.low_speed_time = options_.low_speed_time;
    request.time_limit = left;
    request.max_bytes = options_.max_bytes;
    std::int64_t written = 0;
    int write_error = 0;
    const FetchResult result = transport_.Fetch(
        request,
        [&](std::string_view part) {
          written += static_cast<std::int64_t>(part.size());
          return file->Write(part, &write_error);
        },
        [&](std::int64_t received) { return KeepGoing(received); });
    switch (result.outcome) {
      case FetchOutcome::kOk:
        break;
      case FetchOutcome::kCancelled:
        cancelled_ = true;
        return {};
      case FetchOutcome::kWriteFailed:
        return Failure({.kind = UpdateFailure::kCannotWrite,
                        .path = file->path(),
                        .error_number = write_error});
      case FetchOutcome::kTooLarge:
        return Failure(
            {.kind = UpdateFailure::kTooLarge, .count = options_.max_bytes});
      case FetchOutcome::kHttpStatus:
        if ((result.http_status == 403 || result.http_status == 418) &&
            TryBrowserAgent()) {
          return {};
        }
        return Failure({.kind = UpdateFailure::kHttpStatus,
                        .count = result.http_status});
      case FetchOutcome::kNetwork:
        // The transfer had the time left as its own limit and may give up
        // a moment before the update's: either way the time ran out.
        if (Clock::now() + kTimeSlack >= deadline_) {
          return Failure(TimeLimit());
        }
        return Failure({.kind = UpdateFailure::kNetwork,
                        .network = result.failure,
                        .detail = result.detail});
    }
    done_ += written;
    bool group_kept = true;
    if (const int e =
            file->Finish(listing.target, Plausible(result.last_modified),
                         &group_kept);
        e != 0) {
      return Failure({.kind = UpdateFailure::kCannotWrite,
                      .path = file->path(),
                      .error_number = e});
    }
    if (!group_kept) {
      notes_.push_back({.kind = UpdateFailure::kGroupNotKept,
                        .path = listing.target});
    }
    return Check(listing, std::move(*file));
  }

  // Reads the download back as the program will read it.
  Fetched Check(const Listing& listing, TempFile file) {
    std::vector<char> bytes;
    ReadFailure why;
    if (!ReadListingFile(file.path(), &bytes, &why)) {
      return Failure({.kind = UpdateFailure::kFetchedUnreadable, .read = why});
    }
    const std::string_view text(bytes.data(), bytes.size());
    Fetched fetched;
    fetched.records = CountRecords(text, listing.blocks);
    if (fetched.records == 0) {
      if (TryBrowserAgent()) return {};
      return Failure({.kind = UpdateFailure::kNotAListing});
    }
    if (!EndsWhole(text)) {
      return Failure({.kind = UpdateFailure::kCutOff});
    }
    if (UpdateProblem problem =
            CheckRecordCount(fetched.records, listing.current_records);
        problem.kind != UpdateFailure::kNone) {
      return Failure(std::move(problem));
    }
    fetched.file.emplace(std::move(file));
    return fetched;
  }

  UpdateProblem TimeLimit() const {
    return {.kind = UpdateFailure::kTimeLimit,
            .count = static_cast<std::int64_t>(options_.time_limit.count())};
  }

  const UpdateOptions& options_;
  Transport& transport_;
  const UpdateProgress& progress_;
  const Clock::time_point deadline_;
  std::string agent_;
  std::int64_t done_ = 0;  // bytes of the listings already fetched
  std::vector<UpdateProblem> notes_;
  bool retry_ = false;
  bool cancelled_ = false;
};

UpdateResult Failed(UpdateProblem problem) {
  UpdateResult result;
  result.status = UpdateStatus::kFailed;
  result.problem = std::move(problem);
  return result;
}

}  // namespace

UpdateSources IeeeSources(std::string_view origin) {
  // "https://mirror/" names the same place as "https://mirror".
  while (origin.ends_with('/')) origin.remove_suffix(1);
  const std::string base(origin);
  return {base + "/oui/oui.txt", base + "/oui28/mam.txt",
          base + "/oui36/oui36.txt", base + "/iab/iab.txt"};
}

UpdateResult UpdateListings(const UpdateOptions& options, Transport& transport,
                            const UpdateProgress& progress) {
  if (UpdateProblem problem = CheckSources(options.sources);
      problem.kind != UpdateFailure::kNone) {
    return Failed(std::move(problem));
  }
  const std::string folder = FolderOf(options.listing);
  if (InSystemFolder(options.listing)) {
    return Failed({.kind = UpdateFailure::kSystemFolder, .path = folder});
  }
  LockRefusal refusal;
  const std::optional<FolderLock> lock = FolderLock::TryTake(folder, &refusal);
  if (!lock) {
    if (!refusal.stale_owner.empty()) {
      return Failed({.kind = UpdateFailure::kStaleLock,
                     .path = refusal.lock_file,
                     .error_number = refusal.error_number,
                     .detail = refusal.stale_owner});
    }
    if (refusal.error_number == 0) return Failed({.kind = UpdateFailure::kBusy});
    return Failed({.kind = UpdateFailure::kCannotLock,
                   .path = folder,
                   .error_number = refusal.error_number});
  }

  std::vector<Listing> listings = {
      {std::nullopt, options.sources.ma_l, options.listing, false}};
  const auto references = options.reference.empty()
                              ? std::optional<std::array<CompanionFile, 3>>()
                              : CompanionFiles(options.reference);
  for (const CompanionFile& companion : CompanionFiles(options.listing)) {
    const std::string& url =
        companion.kind == BlockKind::kMaM   ? options.sources.ma_m
        : companion.kind == BlockKind::kMaS ? options.sources.ma_s
                                            : options.sources.iab;
    listings.push_back({companion.kind, url, companion.path, true});
  }
  RemoveLeftovers({listings[0].target, listings[1].target, listings[2].target,
                   listings[3].target});
  // Only a listing is ever replaced, and by one much like it: like the
  // file it replaces or, where there is none, like the listing in use.
  for (std::size_t i = 0; i < listings.size(); ++i) {
    Listing& listing = listings[i];
    const CurrentListing current =
        InspectListing(listing.target, listing.blocks);
    if (current.problem.kind != UpdateFailure::kNone) {
      if (i == 0) return Failed(current.problem);
      listing.refused = current.problem;
      continue;
    }
    listing.current_records = current.records;
    if (!current.exists && !options.reference.empty()) {
      const std::string reference =
          i == 0 ? options.reference : (*references)[i - 1].path;
      const CurrentListing in_use = InspectListing(reference, listing.blocks);
      if (in_use.problem.kind == UpdateFailure::kNone) {
        listing.current_records = in_use.records;
      }
    }
  }

  Updater updater(options, transport, progress);
  std::vector<Fetched> fetched;
  for (const Listing& listing : listings) {
    if (listing.refused.kind != UpdateFailure::kNone) {
      Fetched kept;
      kept.problem = listing.refused;
      fetched.push_back(std::move(kept));
      continue;
    }
    fetched.push_back(updater.Fetch(listing));
    if (updater.cancelled()) return {UpdateStatus::kCancelled, {}, 0, {}};
    // The MA-L listing decides: without it nothing is replaced.
    if (fetched.size() == 1 && !fetched[0].file) {
      return Failed(fetched[0].problem);
    }
  }
  if (!updater.KeepGoing(0)) return {UpdateStatus::kCancelled, {}, 0, {}};

  if (const int error = fetched[0].file->ReplaceTarget(listings[0].target);
      error != 0) {
    return Failed({.kind = UpdateFailure::kCannotReplace,
                   .path = listings[0].target,
                   .error_number = error});
  }
  UpdateResult result;
  result.status = UpdateStatus::kUpdated;
  result.records = fetched[0].records;
  result.notes = updater.notes();
  for (std::size_t i = 1; i < listings.size(); ++i) {
    UpdateProblem why = fetched[i].problem;
    if (fetched[i].file) {
      if (const int e = fetched[i].file->ReplaceTarget(listings[i].target);
          e != 0) {
        why = {.kind = UpdateFailure::kCannotReplace,
               .path = listings[i].target,
               .error_number = e};
      }
    }
    if (why.kind != UpdateFailure::kNone) {
      result.kept.push_back({*listings[i].kind, listings[i].target, why});
    }
  }
  SyncFolder(folder);
  return result;
}

}  // namespace venmark

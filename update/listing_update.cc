#include "update/listing_update.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "listings/block_listing.h"
#include "listings/listing_kinds.h"
#include "listings/listing_set.h"
#include "listings/mal_listing.h"
#include "listings/paths.h"
#include "update/file_replacement.h"
#include "update/listing_fetch.h"
#include "update/update_checks.h"

namespace venmark {
namespace {

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
  UpdateSources sources;
  for (const ListingKindRow& row : kListingKinds) {
    sources[row.kind] = std::string(origin) + "/" + std::string(row.ieee_path);
  }
  return sources;
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
    if (refusal.error_number == 0)
      return Failed({.kind = UpdateFailure::kBusy});
    return Failed({.kind = UpdateFailure::kCannotLock,
                   .path = folder,
                   .error_number = refusal.error_number});
  }

  std::vector<ListingToFetch> listings;
  std::vector<std::string> targets;
  for (const ListingFile& file : ListingFiles(options.listing)) {
    listings.push_back({file.kind, options.sources[file.kind], file.path});
    targets.push_back(file.path);
  }
  RemoveLeftovers(targets);
  const std::vector<ListingFile> references =
      options.reference.empty() ? std::vector<ListingFile>()
                                : ListingFiles(options.reference);
  // Only a listing is ever replaced, and by one much like it: like the
  // file it replaces or, where there is none, like the listing in use.
  for (ListingToFetch& listing : listings) {
    const CurrentListing current = InspectListing(listing.target, listing.kind);
    listing.exists = current.exists;
    if (current.problem.kind != UpdateFailure::kNone) {
      if (RowOf(listing.kind).required) return Failed(current.problem);
      listing.refused = current.problem;
      continue;
    }
    listing.current_records = current.records;
    const auto reference = std::find_if(
        references.begin(), references.end(),
        [&](const ListingFile& f) { return f.kind == listing.kind; });
    if (!current.exists && reference != references.end()) {
      const CurrentListing in_use =
          InspectListing(reference->path, listing.kind);
      if (in_use.problem.kind == UpdateFailure::kNone) {
        listing.current_records = in_use.records;
      }
    }
  }

  ListingFetcher fetcher(options, transport, progress);
  fetcher.Expect(static_cast<std::size_t>(std::count_if(
      listings.begin(), listings.end(),
      [](const auto& l) { return l.refused.kind == UpdateFailure::kNone; })));
  std::vector<Fetched> fetched;
  for (const ListingToFetch& listing : listings) {
    if (listing.refused.kind != UpdateFailure::kNone) {
      Fetched kept;
      kept.problem = listing.refused;
      fetched.push_back(std::move(kept));
      continue;
    }
    fetched.push_back(fetcher.Fetch(listing));
    if (fetcher.cancelled()) return {UpdateStatus::kCancelled, {}, 0, {}};
    // A required listing decides: without it nothing is replaced.
    if (RowOf(listing.kind).required && !fetched.back().file) {
      return Failed(fetched.back().problem);
    }
  }
  if (!fetcher.StillWanted()) return {UpdateStatus::kCancelled, {}, 0, {}};

  // The MA-L listing first: when it cannot be put in place, nothing is.
  if (const int error = fetched[0].file->ReplaceTarget(listings[0].target);
      error != 0) {
    return Failed({.kind = UpdateFailure::kCannotReplace,
                   .path = listings[0].target,
                   .error_number = error});
  }
  UpdateResult result;
  result.status = UpdateStatus::kUpdated;
  result.records = fetched[0].records;
  result.notes = fetcher.notes();
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
      result.kept.push_back(
          {listings[i].kind, listings[i].target, why, listings[i].exists});
    }
  }
  SyncFolder(folder);
  return result;
}

}  // namespace venmark

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

// Why the update folder's lock was not taken.
UpdateProblem LockProblem(const LockRefusal& refusal,
                          const std::string& folder) {
  if (!refusal.stale_owner.empty()) {
    return {.kind = UpdateFailure::kStaleLock,
            .path = refusal.lock_file,
            .error_number = refusal.error_number,
            .detail = refusal.stale_owner};
  }
  if (refusal.error_number == 0) return {.kind = UpdateFailure::kBusy};
  return {.kind = UpdateFailure::kCannotLock,
          .path = folder,
          .error_number = refusal.error_number};
}

// Each listing of the update, with the file it replaces and the listing it
// is held to; a required one that cannot be replaced stops the update.
Result<Done, UpdateProblem> PlanListings(
    const UpdateOptions& options, std::vector<ListingToFetch>* listings) {
  std::vector<std::string> targets;
  for (const ListingFile& file : ListingFiles(options.listing)) {
    listings->push_back({file.kind, options.sources[file.kind], file.path});
    targets.push_back(file.path);
  }
  RemoveLeftovers(targets);
  const std::vector<ListingFile> references =
      options.reference.empty() ? std::vector<ListingFile>()
                                : ListingFiles(options.reference);
  // Only a listing is ever replaced, and by one much like it: like the
  // file it replaces or, where there is none, like the listing in use.
  for (ListingToFetch& listing : *listings) {
    const Result<CurrentListing, UpdateProblem> current =
        InspectListing(listing.target, listing.kind);
    if (!current) {
      // There, and no listing or unreadable.
      listing.exists = true;
      if (RowOf(listing.kind).required) return Fail(current.problem());
      listing.refused = current.problem();
      continue;
    }
    listing.exists = current->exists;
    listing.current_records = current->records;
    const auto reference = std::find_if(
        references.begin(), references.end(),
        [&](const ListingFile& f) { return f.kind == listing.kind; });
    if (!current->exists && reference != references.end()) {
      const Result<CurrentListing, UpdateProblem> in_use =
          InspectListing(reference->path, listing.kind);
      if (in_use) listing.current_records = in_use->records;
    }
  }
  return Done{};
}

// Fetches every listing not refused into *fetched, one for each of
// listings; the update's end when it stops early (cancelled, or a required
// listing not got).
std::optional<UpdateResult> FetchAll(
    const std::vector<ListingToFetch>& listings, ListingFetcher* fetcher,
    std::vector<FetchedListing>* fetched) {
  fetcher->Expect(static_cast<std::size_t>(std::count_if(
      listings.begin(), listings.end(),
      [](const auto& l) { return l.refused.kind == UpdateFailure::kNone; })));
  const UpdateResult cancelled{UpdateStatus::kCancelled, {}, 0, {}};
  for (const ListingToFetch& listing : listings) {
    if (listing.refused.kind != UpdateFailure::kNone) {
      fetched->push_back(Fail(listing.refused));
      continue;
    }
    fetched->push_back(fetcher->Fetch(listing));
    if (fetcher->cancelled()) return cancelled;
    // A required listing decides: without it nothing is replaced.
    if (RowOf(listing.kind).required && !fetched->back()) {
      return Failed(fetched->back().problem());
    }
  }
  if (!fetcher->StillWanted()) return cancelled;
  return std::nullopt;
}

// Puts the fetched listings in place, the required ones first: when one of
// those cannot be, nothing is. The others that are not replaced are told.
UpdateResult PutInPlace(const std::vector<ListingToFetch>& listings,
                        std::vector<FetchedListing>* fetched) {
  UpdateResult result;
  result.status = UpdateStatus::kUpdated;
  for (const bool required : {true, false}) {
    for (std::size_t i = 0; i < listings.size(); ++i) {
      const ListingToFetch& listing = listings[i];
      if (RowOf(listing.kind).required != required) continue;
      FetchedListing& got = (*fetched)[i];
      UpdateProblem why = got ? UpdateProblem{} : got.problem();
      if (got) {
        if (const Result<Done, SystemError> placed =
                got->file.ReplaceTarget(listing.target);
            !placed) {
          why = {.kind = UpdateFailure::kCannotReplace,
                 .path = listing.target,
                 .error_number = placed.problem().error_number};
        }
      }
      if (required) {
        if (why.kind != UpdateFailure::kNone) return Failed(std::move(why));
        result.records = got->records;
      } else if (why.kind != UpdateFailure::kNone) {
        result.kept.push_back(
            {listing.kind, listing.target, why, listing.exists});
      }
    }
  }
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
  if (const Result<Done, UpdateProblem> fetchable =
          CheckSources(options.sources);
      !fetchable) {
    return Failed(fetchable.problem());
  }
  const std::string folder = FolderOf(options.listing);
  if (InSystemFolder(options.listing)) {
    return Failed({.kind = UpdateFailure::kSystemFolder, .path = folder});
  }
  const Result<FolderLock, LockRefusal> lock = FolderLock::TryTake(folder);
  if (!lock) return Failed(LockProblem(lock.problem(), folder));
  std::vector<ListingToFetch> listings;
  if (const Result<Done, UpdateProblem> planned =
          PlanListings(options, &listings);
      !planned) {
    return Failed(planned.problem());
  }
  ListingFetcher fetcher(options, transport, progress);
  std::vector<FetchedListing> fetched;
  if (std::optional<UpdateResult> stopped =
          FetchAll(listings, &fetcher, &fetched)) {
    return *stopped;
  }
  UpdateResult result = PutInPlace(listings, &fetched);
  if (result.status == UpdateStatus::kUpdated) {
    result.notes = fetcher.notes();
    SyncFolder(folder);
  }
  return result;
}

}  // namespace venmark

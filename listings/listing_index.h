#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "listings/listing_set.h"
#include "listings/problem.h"

// An index of our own of the listings beside an MA-L listing, kept in the
// user's cache folder: their records sorted and their names as UTF-8, a
// megabyte and a half where the listings are ten, so that a run reads it
// and sorts nothing. It is keyed by the stamp of each listing file it was
// made from and by its format, checked whole at every use, made again when
// it is stale or damaged, and never needed: without it the listings are
// read as they are.
namespace venmark {

// A listing file changed this recently may still be changed again within
// one tick of the file system's clock, its stamp the same: no index of it
// is kept until it is older.
inline constexpr std::chrono::seconds kSettledTime{2};

// Where the index of the listings beside ma_l_path (absolute UTF-8) is
// kept; empty when the user has no cache folder.
std::string ListingIndexPath(const std::string& ma_l_path);

// The listings beside ma_l_path as the index at index_path holds them,
// when it is whole and each listing file there is still the version it
// was made from; else nothing. No names file is read.
std::optional<ListingSet> ReadListingIndex(const std::string& index_path,
                                           const std::string& ma_l_path);

// Writes the index of set, the listings beside ma_l_path read whole, to
// index_path through a temporary file renamed into place, its folder made
// first. False when nothing was written: no folder, no room, or a listing
// written or changed less than settled ago.
bool WriteListingIndex(const std::string& index_path,
                       const std::string& ma_l_path, const ListingSet& set,
                       std::chrono::nanoseconds settled = kSettledTime);

// ListingSet::Load, answered from the index at index_path while it is
// current; else the listings are read and indexed, and the index written
// for the runs after. No index with index_path empty.
Result<ListingSet, ListingProblem> LoadIndexed(
    const std::string& ma_l_path, const std::string& index_path,
    std::chrono::nanoseconds settled = kSettledTime);

}  // namespace venmark

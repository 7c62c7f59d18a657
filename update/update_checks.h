#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/result.h"
#include "update/listing_update.h"

// What an update checks before it fetches and after: that it only ever
// replaces a listing with a listing much like it.
namespace venmark {

// Whether sources can be fetched; kBadSource for an address that is
// neither https:// nor http://.
Result<Done, UpdateProblem> CheckSources(const UpdateSources& sources);

// Whether the folder of path belongs to the system's packages (/usr),
// where an update never writes.
bool InSystemFolder(const std::string& path);

// How many records listing text of kind holds, read as the program reads
// it.
std::size_t CountRecords(std::string_view text, ListingKind kind);

// Which kind of listing text is, by the shape of its "(base 16)" lines
// and the prefixes they name, as most of its records tell: whole prefixes
// (MA-L, or CID when their local bit is set), 28-bit blocks (MA-M), 36-bit
// blocks (IAB under the IEEE's two IAB prefixes, else MA-S). Nothing when
// it holds no such line.
std::optional<ListingKind> KindOfListing(std::string_view text);

// Whether a download ends as the IEEE's files do: with a line break after
// a last record whose "(base 16)" line follows its "(hex)" line. A body cut
// off at a line break in the middle of a record fails this.
bool EndsWhole(std::string_view text);

// A listing an update may replace.
struct CurrentListing {
  bool exists = false;
  std::size_t records = 0;  // when it exists
};

// The file at path as a listing of kind; a file there that is no listing,
// or cannot be read, fails (kCurrentNotAListing, kCurrentUnreadable).
Result<CurrentListing, UpdateProblem> InspectListing(const std::string& path,
                                                     ListingKind kind);

// Whether a new listing of `fetched` records may replace one of `current`
// (0: none to compare with): it must hold from 98 % to 150 % of them, else
// kTooFew or kTooMany.
Result<Done, UpdateProblem> CheckRecordCount(std::size_t fetched,
                                             std::size_t current);

// Removes what killed updates left beside targets ("base.dat.new-Ab12Cd").
void RemoveLeftovers(const std::vector<std::string>& targets);

}  // namespace venmark

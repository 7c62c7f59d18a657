#include "app/search_flow.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "app/result_format.h"
#include "app/texts.h"
#include "listings/listing_index.h"
#include "listings/listing_places.h"
#include "listings/listing_set.h"
#include "listings/paths.h"
#include "listings/problem.h"
#include "scan/mac_scanner.h"

namespace venmark {

std::string ChooseListing(const std::string& named) {
  if (named.empty()) return FindListing(ListingPlaces());
  std::error_code error;
  const std::filesystem::path absolute =
      std::filesystem::absolute(PathFromUtf8(named), error);
  return error ? named : Utf8FromPath(absolute.lexically_normal());
}

SearchOutcome RunSearch(std::string_view text, const std::string& named,
                        std::string_view eol) {
  SearchOutcome outcome;
  if (!MacScanner(text).Next()) return outcome;
  const std::string path = ChooseListing(named);
  if (path.empty()) {
    outcome.error = text::WithUpdateHint(text::NoListing(ListingPlaces()));
    return outcome;
  }
  const Result<ListingSet, ListingProblem> listings =
      LoadIndexed(path, ListingIndexPath(path));
  if (!listings) {
    outcome.error = text::WithUpdateHint(text::CannotRead(listings.problem()));
    return outcome;
  }
  outcome.lines = SearchText(
      text, *listings, {&ResultFormat::kText, eol, &text::ResultLineWords()});
  return outcome;
}

}  // namespace venmark

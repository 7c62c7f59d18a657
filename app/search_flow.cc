#include "app/search_flow.h"

#include <filesystem>
#include <optional>
#include <vector>

#include "app/texts.h"
#include "lookup/listing_file.h"
#include "lookup/listing_places.h"
#include "lookup/listing_set.h"
#include "lookup/mac_scanner.h"
#include "lookup/search.h"

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
    outcome.error = text::WithUpdateHint(NoListingMessage(ListingPlaces()));
    return outcome;
  }
  std::string error;
  const std::optional<ListingSet> listings = ListingSet::Load(path, &error);
  if (!listings) {
    outcome.error = text::WithUpdateHint(error);
    return outcome;
  }
  outcome.lines = SearchText(text, *listings, eol);
  return outcome;
}

}  // namespace venmark

#include "listings/listing_kinds.h"

namespace venmark {

// Each row stands at its kind's place: RowOf looks rows up by it.
static_assert([] {
  for (std::size_t i = 0; i < kListingKinds.size(); ++i) {
    if (IndexOf(kListingKinds[i].kind) != i) return false;
  }
  return true;
}());

}  // namespace venmark

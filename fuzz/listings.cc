// libFuzzer: any bytes read as an MA-L listing and as a block listing must
// index without fault, and every answer must hold the MAC it answers.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "listings/listing_set.h"
#include "scan/mac_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // The same text as every kind of listing.
  venmark::ListingSet set(venmark::MalListing::Parse(text),
                          venmark::BlockListing::Parse(text));
  set.Add(venmark::ListingKind::kCid, venmark::MalListing::Parse(text));
  const venmark::BlockListing blocks = venmark::BlockListing::Parse(text);
  blocks.record_count();  // the index, not the search
  // Ask about the MACs the listing itself writes and a few fixed ones.
  std::vector<venmark::MacFinding> asks = venmark::FindMacs(text);
  for (const char* mac :
       {"00-00-00-00-00-00", "70-b3-d5-f2-f0-01", "ff-ff-ff-ff-ff-ff"}) {
    asks.push_back(venmark::FindMacs(mac).at(0));
  }
  // The first look-ups search the text, later ones the index: both must
  // answer alike.
  const venmark::MalListing indexed = venmark::MalListing::Parse(text);
  indexed.record_count();
  for (const venmark::MacFinding& ask : asks) {
    const venmark::MalListing direct = venmark::MalListing::Parse(text);
    const auto a = direct.Find(static_cast<std::uint32_t>(ask.address >> 24));
    const std::vector<std::string_view> searched(a.begin(), a.end());
    const auto b = indexed.Find(static_cast<std::uint32_t>(ask.address >> 24));
    if (!std::equal(searched.begin(), searched.end(), b.begin(), b.end())) {
      std::abort();
    }
    if (direct.HasRecord() != (indexed.record_count() > 0)) std::abort();
    // Block listings likewise.
    const venmark::BlockListing direct_blocks =
        venmark::BlockListing::Parse(text);
    std::vector<std::string_view> searched_names, indexed_names;
    const auto found = direct_blocks.Find(ask.address, &searched_names);
    const auto expected = blocks.Find(ask.address, &indexed_names);
    if (found.has_value() != expected.has_value() ||
        (found &&
         (found->first != expected->first || found->span != expected->span)) ||
        searched_names != indexed_names) {
      std::abort();
    }
  }
  venmark::Assignment assignment;
  std::vector<std::string_view> names;
  for (const venmark::MacFinding& ask : asks) {
    names.clear();
    const auto block = blocks.Find(ask.address, &names);
    if (block.has_value() == names.empty()) std::abort();
    if (block && (ask.address < block->first ||
                  ask.address - block->first > block->span)) {
      std::abort();
    }
    set.Resolve(ask, &assignment);
    if (assignment.names.empty() != assignment.digits.empty()) std::abort();
    for (const std::string_view name : assignment.names) {
      if (name.data() == nullptr && !name.empty()) std::abort();
    }
  }
  return 0;
}

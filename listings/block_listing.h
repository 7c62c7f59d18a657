#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listings/listing_bytes.h"

namespace venmark {

// One of the IEEE's listings of blocks inside a prefix (MA-M, MA-S, IAB). A
// record is a "(hex)" line, "70-B3-D5  (hex)  NAME", directly followed by
// its "(base 16)" line, "F2F000-F2FFFF  (base 16) ...", which gives the
// range of the low 24 bits. Fields are found by the blanks between them, not
// by columns, since the IAB listing pads them differently. Like MalListing,
// the first look-ups search the text and the index comes after them.
class BlockListing {
 public:
  // Reads the file at path; indexed as it is looked up.
  static Result<BlockListing, ReadFailure> Load(const std::string& path) {
    return LoadListing<BlockListing>(path);
  }

  // Indexes listing text already in memory.
  static BlockListing Parse(std::string_view listing) {
    return BlockListing(ListingBytes(listing));
  }

  // Indexes the bytes of a listing file.
  explicit BlockListing(ListingBytes listing);

  BlockListing(BlockListing&&) noexcept = default;
  BlockListing& operator=(BlockListing&&) noexcept = default;
  BlockListing(const BlockListing&) = delete;
  BlockListing& operator=(const BlockListing&) = delete;

  // A block of addresses.
  struct Block {
    std::uint64_t first = 0;  // its lowest address
    std::uint32_t span = 0;   // its highest address less its lowest
  };
  // The smallest block holding the 48-bit address, its records' names
  // appended to *names in file order; nothing when no block holds it.
  std::optional<Block> Find(std::uint64_t address,
                            std::vector<std::string_view>* names) const;

  // How many records the listing holds.
  std::size_t record_count() const;

  // Whether the listing holds a record at all.
  bool HasRecord() const;

  // Look-ups that search the text for their prefix before the index is
  // built.
  static constexpr int kDirectLookups = 2;

  // Builds the index now, not after kDirectLookups look-ups: for a text
  // that will name many MACs, searching the listing for the first few is
  // time lost.
  void Index() const;

  struct Record {
    std::uint32_t prefix;  // the top 24 bits
    std::uint32_t span;    // high - low
    std::uint32_t low;     // the lowest low 24 bits
    std::uint32_t order;   // place in the file
    std::string_view name;
  };

  // A listing indexed already: its records in the index's order (by
  // prefix, span, low and place), their names kept alive by keep.
  struct Indexed {
    std::vector<Record> records = {};
    std::shared_ptr<const void> keep = {};
  };
  explicit BlockListing(Indexed indexed);
  // The records in the index's order, indexed now if they are not yet;
  // valid while the listing is.
  const std::vector<Record>& indexed() const;
  // Whether records are in the index's order.
  static bool InIndexOrder(const std::vector<Record>& records);

 private:
  // Calls each(r) for the records of the listing in file order until it
  // returns false.
  template <typename Each>
  void ForEachRecord(Each&& each) const;
  // The same for the records whose prefix is key ("70-B3-D5", either case).
  template <typename Each>
  void ForEachRecordOf(std::string_view key, Each&& each) const;
  // The record whose "(hex)" line starts at start, if it is one.
  bool RecordAt(std::size_t start, Record* record) const;
  // Sets the bits of prefix_filter_ for records_.
  void FillFilter() const;

  ListingBytes bytes_;
  std::shared_ptr<const void> keep_;  // what an index's names are in
  mutable std::deque<std::string> decoded_names_;
  mutable bool indexed_ = false;
  mutable int lookups_ = 0;
  mutable std::vector<Record> records_;  // by prefix, span, low, order
  // Bit (prefix * kSpread) >> 20 of 4096 set for each prefix of records_.
  mutable std::array<std::uint64_t, 64> prefix_filter_{};
};

}  // namespace venmark

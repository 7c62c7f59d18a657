#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "listings/listing_bytes.h"
#include "listings/text_search.h"

namespace venmark {

// The manufacturer listing ("base.dat"), in the layout of the IEEE
// Registration Authority's OUI listing. A record line has "(hex)" at
// columns 12-16; its columns 1-8 are the prefix ("00-1A-2B") and column 19
// on the organisation's name. The first few look-ups search the text
// itself, so that naming one MAC costs no more than a pass over the file;
// the index by prefix is built on the look-up after them. Not for use from
// several threads at once.
class MalListing {
 public:
  // Reads the file at path; indexed as it is looked up.
  static Result<MalListing, ReadFailure> Load(const std::string& path) {
    return LoadListing<MalListing>(path);
  }

  // Indexes listing text already in memory.
  static MalListing Parse(std::string_view listing) {
    return MalListing(ListingBytes(listing));
  }

  // Takes the bytes of a listing file.
  explicit MalListing(ListingBytes listing) : bytes_(std::move(listing)) {}

  // A listing indexed already: its keys sorted, each one's name beside it
  // (one prefix's in file order), the names kept alive by keep.
  struct Indexed {
    std::vector<std::uint32_t> keys = {};
    std::vector<std::string_view> names = {};
    std::size_t record_count = 0;
    std::shared_ptr<const void> keep = {};
  };
  explicit MalListing(Indexed indexed);
  // The index, built now if it is not yet; valid while the listing is.
  Indexed indexed() const;

  MalListing(MalListing&&) noexcept = default;
  MalListing& operator=(MalListing&&) noexcept = default;
  MalListing(const MalListing&) = delete;
  MalListing& operator=(const MalListing&) = delete;

  // Names recorded for the prefix 0x001A2B ("00-1A-2B"), in file order;
  // empty when there are none. Valid until the next call.
  std::span<const std::string_view> Find(std::uint32_t prefix) const;

  // How many record lines the listing holds, the ones no key can match
  // (a lower-case prefix, say) included.
  std::size_t record_count() const;

  // Whether the listing holds a record line at all.
  bool HasRecord() const;

  // Look-ups that search the text before the index is built.
  static constexpr int kDirectLookups = 2;

  // Builds the index now, not after kDirectLookups look-ups: for a text
  // that will name many MACs, searching the listing for the first few is
  // time lost.
  void Index() const;

 private:
  std::span<const std::string_view> SearchText(std::string_view key) const;
  // Fills starts_ from keys_.
  void FillStarts() const;

  ListingBytes bytes_;
  std::shared_ptr<const void> keep_;  // what an index's names are in
  mutable std::deque<std::string> decoded_names_;  // names that were not UTF-8
  mutable bool indexed_ = false;
  mutable int lookups_ = 0;
  mutable std::vector<std::uint32_t> keys_;  // sorted prefixes
  // keys_[starts_[k >> kBucketShift]] is the first key in k's bucket.
  static constexpr unsigned kBucketShift = 12;
  static constexpr std::size_t kBuckets = std::size_t{1} << (24 - kBucketShift);
  mutable std::vector<std::uint32_t> starts_;
  mutable std::vector<std::string_view> names_;  // names_[i] is keys_[i]'s
  mutable std::vector<std::string_view> found_;  // a search's answer
  mutable std::size_t record_count_ = 0;
};

}  // namespace venmark

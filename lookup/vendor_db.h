#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/listing_file.h"

namespace venmark {

// The manufacturer listing ("base.dat"), in the layout of the IEEE
// Registration Authority's OUI listing, indexed by prefix. A record line has
// "(hex)" at columns 12-16; its columns 1-8 are the prefix ("00-1A-2B") and
// column 19 on the organisation's name.
class VendorDb {
 public:
  // Reads and indexes the file at path. On failure returns nothing and sets
  // *reason to a Russian phrase saying why.
  static std::optional<VendorDb> Load(const std::string& path,
                                      std::string* reason) {
    return LoadListing<VendorDb>(path, reason);
  }

  // Indexes listing text already in memory.
  static VendorDb Parse(std::string_view listing) {
    return VendorDb(std::vector<char>(listing.begin(), listing.end()));
  }

  // Indexes the bytes of a listing file.
  explicit VendorDb(std::vector<char> listing);

  VendorDb(VendorDb&&) noexcept = default;
  VendorDb& operator=(VendorDb&&) noexcept = default;
  VendorDb(const VendorDb&) = delete;
  VendorDb& operator=(const VendorDb&) = delete;

  // Names recorded for an upper-case key such as "00-1A-2B", in file order;
  // empty when there are none.
  std::span<const std::string_view> Find(std::string_view oui_key) const;

  // How many record lines the listing holds, the ones no key can match
  // (a lower-case prefix, say) included.
  std::size_t record_count() const { return record_count_; }

 private:
  void Index();

  std::vector<char> data_;                 // the file as read
  std::deque<std::string> decoded_names_;  // names that were not UTF-8
  std::vector<std::uint32_t> keys_;        // sorted prefixes
  std::vector<std::string_view> names_;    // names_[i] belongs to keys_[i]
  std::size_t record_count_ = 0;
};

}  // namespace venmark

#include "lookup/vendor_db.h"

#include <algorithm>

namespace venmark {
namespace {

constexpr std::string_view kHexMarker = "(hex)";
constexpr std::size_t kMarkerColumn = 11;  // "(hex)" at columns 12-16
constexpr std::size_t kNameColumn = 18;    // the name from column 19 on

int UpperHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Packs "00-1A-2B" into 0x001A2B. Keys compare exactly, so anything that is
// not upper-case hex in that shape can never match and yields nothing.
std::optional<std::uint32_t> PackKey(std::string_view key) {
  if (key.size() != 8 || key[2] != '-' || key[5] != '-') return std::nullopt;
  std::uint32_t packed = 0;
  for (const std::size_t at : {0, 1, 3, 4, 6, 7}) {
    const int digit = UpperHexValue(key[at]);
    if (digit < 0) return std::nullopt;
    packed = (packed << 4) | static_cast<std::uint32_t>(digit);
  }
  return packed;
}

}  // namespace

VendorDb::VendorDb(std::vector<char> listing) : data_(std::move(listing)) {
  Index();
}

void VendorDb::Index() {
  struct Entry {
    std::uint32_t key;
    std::string_view name;
  };
  std::vector<Entry> entries;
  ForEachLine(
      std::string_view(data_.data(), data_.size()), [&](std::string_view line) {
        if (line.size() < kMarkerColumn + kHexMarker.size() ||
            line.substr(kMarkerColumn, kHexMarker.size()) != kHexMarker) {
          return;
        }
        ++record_count_;
        const std::optional<std::uint32_t> key = PackKey(line.substr(0, 8));
        if (!key) return;
        const std::string_view name =
            line.size() > kNameColumn ? line.substr(kNameColumn) : "";
        entries.push_back({*key, NameAsUtf8(name, &decoded_names_)});
      });
  // Stable, so that one prefix's names keep the order of the file.
  std::stable_sort(
      entries.begin(), entries.end(),
      [](const Entry& a, const Entry& b) { return a.key < b.key; });
  keys_.reserve(entries.size());
  names_.reserve(entries.size());
  for (const Entry& entry : entries) {
    keys_.push_back(entry.key);
    names_.push_back(entry.name);
  }
}

std::span<const std::string_view> VendorDb::Find(
    std::string_view oui_key) const {
  const std::optional<std::uint32_t> key = PackKey(oui_key);
  if (!key) return {};
  const auto [first, last] = std::equal_range(keys_.begin(), keys_.end(), *key);
  return std::span<const std::string_view>(names_).subspan(
      static_cast<std::size_t>(first - keys_.begin()),
      static_cast<std::size_t>(last - first));
}

}  // namespace venmark

#include "lookup/vendor_db.h"

#include <algorithm>
#include <array>

#include "lookup/mac_scanner.h"

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

// The line of text that starts at start, without its line break.
std::string_view LineAt(std::string_view text, std::size_t start) {
  return text.substr(start, LineEndFrom(text, start) - start);
}

// Whether [start, start + kMarkerColumn) of text holds no line break.
bool OneLine(std::string_view text, std::size_t start) {
  return LineEndFrom(text, start) >= start + kMarkerColumn;
}

// Calls line(start) for each line of text that has the marker at its
// column, start being where the line begins, until line returns false.
template <typename Line>
void ForEachRecordLine(std::string_view text, Line&& line) {
  std::size_t from = 0;
  while (true) {
    const std::size_t marker = RecordMarker().In(text, from);
    if (marker == std::string_view::npos) return;
    from = marker + 1;
    if (marker < kMarkerColumn) continue;
    const std::size_t start = marker - kMarkerColumn;
    // The marker counts only where its line begins eleven bytes before it.
    if (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r') {
      continue;
    }
    if (OneLine(text, start) && !line(start)) return;
  }
}

std::string_view NameOf(std::string_view line) {
  return line.size() > kNameColumn ? line.substr(kNameColumn) : "";
}

}  // namespace

bool VendorDb::HasRecord() const {
  if (indexed_) return record_count_ > 0;
  bool found = false;
  ForEachRecordLine(bytes_.view(), [&](std::size_t) {
    found = true;
    return false;
  });
  return found;
}

std::size_t VendorDb::record_count() const {
  Index();
  return record_count_;
}

void VendorDb::Index() const {
  if (indexed_) return;
  indexed_ = true;
  struct Entry {
    std::uint32_t key;
    std::string_view name;
  };
  std::vector<Entry> entries;
  const std::string_view text = bytes_.view();
  ForEachRecordLine(text, [&](std::size_t start) {
    ++record_count_;
    const std::string_view line = LineAt(text, start);
    if (const std::optional<std::uint32_t> key = PackKey(line.substr(0, 8))) {
      entries.push_back({*key, NameAsUtf8(NameOf(line), &decoded_names_)});
    }
    return true;
  });
  // Stable, so that one prefix's names keep the order of the file: two
  // passes of counting by 12 bits of the 24-bit key, in linear time.
  std::vector<Entry> sorted(entries.size());
  for (const unsigned shift : {0u, 12u}) {
    std::array<std::uint32_t, 4097> place{};
    for (const Entry& entry : entries)
      ++place[(entry.key >> shift & 0xFFF) + 1];
    for (std::size_t digit = 1; digit < place.size(); ++digit) {
      place[digit] += place[digit - 1];
    }
    for (const Entry& entry : entries) {
      sorted[place[entry.key >> shift & 0xFFF]++] = entry;
    }
    entries.swap(sorted);
  }
  keys_.reserve(entries.size());
  names_.reserve(entries.size());
  for (const Entry& entry : entries) {
    keys_.push_back(entry.key);
    names_.push_back(entry.name);
  }
  // A look-up searches the keys of one bucket of 4096 prefixes only, a few
  // as a rule, instead of the whole list.
  starts_.resize(kBuckets + 1);
  std::size_t at = 0;
  for (std::size_t bucket = 0; bucket < starts_.size(); ++bucket) {
    while (at < keys_.size() && (keys_[at] >> kBucketShift) < bucket) ++at;
    starts_[bucket] = static_cast<std::uint32_t>(at);
  }
}

std::span<const std::string_view> VendorDb::SearchText(
    std::string_view key) const {
  found_.clear();
  const std::string_view text = bytes_.view();
  const Finder finder(key);
  for (std::size_t at = finder.In(text, 0); at != std::string_view::npos;
       at = finder.In(text, at + 1)) {
    const bool line_start =
        at == 0 || text[at - 1] == '\n' || text[at - 1] == '\r';
    if (line_start && text.size() >= at + kMarkerColumn + kHexMarker.size() &&
        text.substr(at + kMarkerColumn, kHexMarker.size()) == kHexMarker &&
        OneLine(text, at)) {
      found_.push_back(NameAsUtf8(NameOf(LineAt(text, at)), &decoded_names_));
    }
  }
  return found_;
}

std::span<const std::string_view> VendorDb::Find(
    std::string_view oui_key) const {
  const std::optional<std::uint32_t> key = PackKey(oui_key);
  if (!key) return {};
  return Find(*key);
}

std::span<const std::string_view> VendorDb::Find(std::uint32_t prefix) const {
  if (prefix > 0xFFFFFF) return {};
  if (!indexed_ && ++lookups_ <= kDirectLookups) {
    return SearchText(OuiKey(std::uint64_t{prefix} << 24));
  }
  Index();
  const auto begin = keys_.begin() + starts_[prefix >> kBucketShift];
  const auto end = keys_.begin() + starts_[(prefix >> kBucketShift) + 1];
  const auto [first, last] = std::equal_range(begin, end, prefix);
  return std::span<const std::string_view>(names_).subspan(
      static_cast<std::size_t>(first - keys_.begin()),
      static_cast<std::size_t>(last - first));
}

}  // namespace venmark

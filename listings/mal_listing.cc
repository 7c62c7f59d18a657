#include "listings/mal_listing.h"

#include <algorithm>
#include <array>

#include "scan/mac.h"

namespace venmark {
namespace {

constexpr std::string_view kHexMarker = "(hex)";
constexpr std::size_t kMarkerColumn = 11;  // "(hex)" at columns 12-16
constexpr std::size_t kNameColumn = 18;    // the name from column 19 on

// Packs "00-1A-2B" into 0x001A2B. The MA-L listing writes its keys in
// upper case, and a direct search matches them exactly, so a line in any
// other shape is counted but answers nothing either way.
std::optional<std::uint32_t> PackKey(std::string_view key) {
  if (key.size() != 8 || key[2] != '-' || key[5] != '-') return std::nullopt;
  const char digits[] = {key[0], key[1], key[3], key[4], key[6], key[7]};
  for (const char c : digits) {
    if (c >= 'a') return std::nullopt;
  }
  const std::optional<std::uint64_t> packed =
      mac::ParseHex(std::string_view(digits, sizeof digits));
  if (!packed) return std::nullopt;
  return static_cast<std::uint32_t>(*packed);
}

// The line of text that starts at start, without its line break.
std::string_view LineAt(std::string_view text, std::size_t start) {
  return text.substr(start, LineEndFrom(text, start) - start);
}

// Whether [start, start + kMarkerColumn) of text holds no line break.
bool OneLine(std::string_view text, std::size_t start) {
  const std::size_t end = start + kMarkerColumn;
  return end <= text.size() && LineEndFrom(text.substr(0, end), start) == end;
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
    if (!StartsLine(text, start)) continue;
    if (OneLine(text, start) && !line(start)) return;
  }
}

std::string_view NameOf(std::string_view line) {
  return line.size() > kNameColumn ? line.substr(kNameColumn) : "";
}

}  // namespace

bool MalListing::HasRecord() const {
  if (indexed_) return record_count_ > 0;
  bool found = false;
  ForEachRecordLine(bytes_.view(), [&](std::size_t) {
    found = true;
    return false;
  });
  return found;
}

std::size_t MalListing::record_count() const {
  Index();
  return record_count_;
}

void MalListing::Index() const {
  if (indexed_) return;
  indexed_ = true;
  struct Entry {
    std::uint32_t key;
    std::string_view name;
  };
  std::vector<Entry> entries;
  const std::string_view text = bytes_.view();
  // The IEEE's records take about 140 bytes each: one reservation, not a
  // dozen copies of a growing list into fresh pages.
  entries.reserve(text.size() / 128);
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
  FillStarts();
}

MalListing::MalListing(Indexed indexed)
    : keep_(std::move(indexed.keep)),
      indexed_(true),
      keys_(std::move(indexed.keys)),
      names_(std::move(indexed.names)),
      record_count_(indexed.record_count) {
  FillStarts();
}

MalListing::Indexed MalListing::indexed() const {
  Index();
  return {keys_, names_, record_count_};
}

void MalListing::FillStarts() const {
  // A look-up searches the keys of one bucket of 4096 prefixes only, a few
  // as a rule, instead of the whole list.
  starts_.resize(kBuckets + 1);
  std::size_t at = 0;
  for (std::size_t bucket = 0; bucket < starts_.size(); ++bucket) {
    while (at < keys_.size() && (keys_[at] >> kBucketShift) < bucket) ++at;
    starts_[bucket] = static_cast<std::uint32_t>(at);
  }
}

std::span<const std::string_view> MalListing::SearchText(
    std::string_view key) const {
  found_.clear();
  const std::string_view text = bytes_.view();
  const Finder finder(key);
  for (std::size_t at = finder.In(text, 0); at != std::string_view::npos;
       at = finder.In(text, at + 1)) {
    if (StartsLine(text, at) &&
        text.size() >= at + kMarkerColumn + kHexMarker.size() &&
        text.substr(at + kMarkerColumn, kHexMarker.size()) == kHexMarker &&
        OneLine(text, at)) {
      found_.push_back(NameAsUtf8(NameOf(LineAt(text, at)), &decoded_names_));
    }
  }
  return found_;
}

std::span<const std::string_view> MalListing::Find(std::uint32_t prefix) const {
  if (prefix > 0xFFFFFF) return {};
  if (!indexed_ && ++lookups_ <= kDirectLookups) {
    return SearchText(mac::OuiKey(std::uint64_t{prefix} << 24));
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

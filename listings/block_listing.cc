#include "listings/block_listing.h"

#include <algorithm>
#include <span>
#include <tuple>
#include <utility>

#include "listings/listing_bytes.h"
#include "listings/text_search.h"
#include "scan/mac.h"

namespace venmark {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The field at the start of *s, up to the next blank; *s keeps the rest,
// its leading blanks removed.
std::string_view TakeField(std::string_view* s) {
  std::size_t end = 0;
  while (end < s->size() && !IsBlank((*s)[end])) ++end;
  const std::string_view field = s->substr(0, end);
  s->remove_prefix(end);
  while (!s->empty() && IsBlank(s->front())) s->remove_prefix(1);
  return field;
}

// Six hex digits of either case as a number.
bool ParseHex(std::string_view s, std::uint32_t* value) {
  const std::optional<std::uint64_t> parsed = mac::ParseHex(s);
  if (!parsed) return false;
  *value = static_cast<std::uint32_t>(*parsed);
  return true;
}

// "70-B3-D5  (hex)  NAME": the prefix and the name, or nothing.
bool ParseHexLine(std::string_view line, std::uint32_t* prefix,
                  std::string_view* name) {
  std::string_view rest = TrimBlanks(line);
  const std::string_view key = TakeField(&rest);
  if (key.size() != 8 || key[2] != '-' || key[5] != '-') return false;
  const char digits[] = {key[0], key[1], key[3], key[4], key[6], key[7]};
  if (!ParseHex(std::string_view(digits, 6), prefix)) return false;
  if (!rest.starts_with("(hex)")) return false;
  *name = TrimBlanks(rest.substr(5));
  return true;
}

// "F2F000-F2FFFF  (base 16) ...": the range of the low 24 bits, or nothing.
bool ParseRangeLine(std::string_view line, std::uint32_t* low,
                    std::uint32_t* high) {
  std::string_view rest = TrimBlanks(line);
  const std::string_view range = TakeField(&rest);
  if (range.size() != 13 || range[6] != '-') return false;
  if (!ParseHex(range.substr(0, 6), low) ||
      !ParseHex(range.substr(7, 6), high) || *low > *high) {
    return false;
  }
  return rest.starts_with("(base 16)");
}

// The bit of the prefix filter that stands for prefix: a multiplicative
// hash, so that neighbouring prefixes spread.
std::uint32_t FilterBit(std::uint32_t prefix) {
  return (prefix * 0x9E3779B1u) >> 20;
}

// An object, not a function: the sort inlines its calls.
constexpr auto ByPrefixSpanLow = [](const BlockListing::Record& a,
                                    const BlockListing::Record& b) {
  return std::tie(a.prefix, a.span, a.low, a.order) <
         std::tie(b.prefix, b.span, b.low, b.order);
};

}  // namespace

namespace {
// The smallest block of records (sorted by ByPrefixSpanLow) that holds
// address, its names appended to *names in file order.
std::optional<BlockListing::Block> FindIn(
    std::span<const BlockListing::Record> records, std::uint64_t address,
    std::vector<std::string_view>* names);
}  // namespace

BlockListing::BlockListing(ListingBytes listing) : bytes_(std::move(listing)) {}

std::size_t BlockListing::record_count() const {
  Index();
  return records_.size();
}

bool BlockListing::RecordAt(std::size_t start, Record* record) const {
  const std::string_view text = bytes_.view();
  const std::size_t end = LineEndFrom(text, start);
  std::string_view name;
  if (!ParseHexLine(text.substr(start, end - start), &record->prefix, &name)) {
    return false;
  }
  // The next line: a CR LF, a lone CR or a lone LF ends this one.
  std::size_t next = end;
  if (next < text.size()) {
    next +=
        (text[next] == '\r' && next + 1 < text.size() && text[next + 1] == '\n')
            ? 2
            : 1;
  }
  if (next >= text.size()) return false;
  std::uint32_t high = 0;
  if (!ParseRangeLine(text.substr(next, LineEndFrom(text, next) - next),
                      &record->low, &high)) {
    return false;
  }
  record->span = high - record->low;
  record->name = NameAsUtf8(name, &decoded_names_);
  return true;
}

template <typename Each>
void BlockListing::ForEachRecord(Each&& each) const {
  // The markers are found by a fast search rather than line by line: the
  // files are megabytes of address lines between a few thousand records.
  const std::string_view text = bytes_.view();
  std::size_t last_line = std::string_view::npos;
  for (std::size_t marker = RecordMarker().In(text, 0);
       marker != std::string_view::npos;
       marker = RecordMarker().In(text, marker + 1)) {
    const std::size_t start = LineStartBefore(text, marker);
    if (start == last_line) continue;  // another marker on the same line
    last_line = start;
    Record record{};
    if (RecordAt(start, &record) && !each(record)) return;
  }
}

template <typename Each>
void BlockListing::ForEachRecordOf(std::string_view key, Each&& each) const {
  // The key itself is searched for, not every marker: one prefix has a
  // few records among thousands.
  const std::string_view text = bytes_.view();
  const Finder finder(key, /*any_case=*/true);
  for (std::size_t at = finder.In(text, 0); at != std::string_view::npos;
       at = finder.In(text, at + 1)) {
    // The key counts where it starts its line, after blanks.
    std::size_t start = at;
    while (start > 0 && IsBlank(text[start - 1])) --start;
    if (!StartsLine(text, start)) continue;
    Record record{};
    if (RecordAt(start, &record) && !each(record)) return;
  }
}

bool BlockListing::HasRecord() const {
  if (indexed_) return !records_.empty();
  bool found = false;
  ForEachRecord([&](const Record&) {
    found = true;
    return false;
  });
  return found;
}

void BlockListing::Index() const {
  if (indexed_) return;
  indexed_ = true;
  ForEachRecord([&](Record record) {
    record.order = static_cast<std::uint32_t>(records_.size());
    records_.push_back(record);
    return true;
  });
  std::sort(records_.begin(), records_.end(), ByPrefixSpanLow);
  FillFilter();
}

BlockListing::BlockListing(Indexed indexed)
    : keep_(std::move(indexed.keep)),
      indexed_(true),
      records_(std::move(indexed.records)) {
  FillFilter();
}

const std::vector<BlockListing::Record>& BlockListing::indexed() const {
  Index();
  return records_;
}

bool BlockListing::InIndexOrder(const std::vector<Record>& records) {
  return std::is_sorted(records.begin(), records.end(), ByPrefixSpanLow);
}

void BlockListing::FillFilter() const {
  // Most addresses lie in none of the few hundred prefixes a listing of
  // blocks has: 512 bytes of bits, one for each, tell nearly all of them
  // apart without a search.
  for (const Record& record : records_) {
    const std::uint32_t bit = FilterBit(record.prefix);
    prefix_filter_[bit / 64] |= std::uint64_t{1} << (bit % 64);
  }
}

std::optional<BlockListing::Block> BlockListing::Find(
    std::uint64_t address, std::vector<std::string_view>* names) const {
  const auto prefix = static_cast<std::uint32_t>(address >> 24);
  if (indexed_ || ++lookups_ > kDirectLookups) {
    Index();
    const std::uint32_t bit = FilterBit(prefix);
    if ((prefix_filter_[bit / 64] >> (bit % 64) & 1) == 0) return std::nullopt;
    return FindIn(records_, address, names);
  }
  // The records of the prefix alone ("70-B3-D5", in either case).
  const std::string key = mac::OuiKey(std::uint64_t{prefix} << 24);
  std::vector<Record> records;
  ForEachRecordOf(key, [&](Record record) {
    if (record.prefix == prefix) {
      record.order = static_cast<std::uint32_t>(records.size());
      records.push_back(record);
    }
    return true;
  });
  std::sort(records.begin(), records.end(), ByPrefixSpanLow);
  return FindIn(records, address, names);
}

namespace {
std::optional<BlockListing::Block> FindIn(
    std::span<const BlockListing::Record> records, std::uint64_t address,
    std::vector<std::string_view>* names) {
  using Record = BlockListing::Record;
  const auto prefix = static_cast<std::uint32_t>(address >> 24);
  const auto low = static_cast<std::uint32_t>(address & 0xFFFFFF);
  auto it = std::lower_bound(
      records.begin(), records.end(), prefix,
      [](const Record& r, std::uint32_t p) { return r.prefix < p; });
  // The prefix's records come by span, smallest first; the first span with
  // a block that holds the address answers.
  while (it != records.end() && it->prefix == prefix) {
    const std::uint32_t span = it->span;
    const auto span_end = std::upper_bound(
        it, records.end(), std::pair(prefix, span),
        [](const std::pair<std::uint32_t, std::uint32_t>& key,
           const Record& r) { return key < std::pair(r.prefix, r.span); });
    // Blocks of one span hold the address exactly when they start no
    // further than span below it.
    const std::uint32_t from = low >= span ? low - span : 0;
    auto hit = std::lower_bound(
        it, span_end, from,
        [](const Record& r, std::uint32_t v) { return r.low < v; });
    auto last = hit;
    while (last != span_end && last->low <= low) ++last;
    if (last != hit) {
      // Overlapping blocks of one span (no IEEE listing has them) are put
      // back in file order.
      std::vector<const Record*> hits;
      hits.reserve(static_cast<std::size_t>(last - hit));
      for (auto r = hit; r != last; ++r) hits.push_back(&*r);
      std::stable_sort(
          hits.begin(), hits.end(),
          [](const Record* a, const Record* b) { return a->order < b->order; });
      for (const Record* record : hits) names->push_back(record->name);
      return BlockListing::Block{(std::uint64_t{prefix} << 24) | hit->low,
                                 span};
    }
    it = span_end;
  }
  return std::nullopt;
}
}  // namespace

}  // namespace venmark

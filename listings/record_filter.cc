#include "listings/record_filter.h"

#include <algorithm>
#include <utility>

#include "listings/block_listing.h"
#include "listings/mal_listing.h"
#include "scan/mac.h"

namespace venmark {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Where the line after the one ending at end starts: past its CR LF, lone
// CR or lone LF.
std::size_t NextLine(std::string_view text, std::size_t end) {
  if (end >= text.size()) return end;
  return end +
         (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n'
              ? 2
              : 1);
}

// Whether text is a record to the reader of kind.
bool IsRecord(ListingKind kind, std::string_view text) {
  return RowOf(kind).shape == RecordShape::kBlocks
             ? BlockListing::Parse(text).HasRecord()
             : MalListing::Parse(text).HasRecord();
}

}  // namespace

RecordFilter::RecordFilter(ListingKind kind,
                           std::span<const std::uint32_t> prefixes)
    : kind_(kind) {
  for (const std::uint32_t prefix : prefixes) {
    // The first six digits of a 48-bit address.
    const std::string hex = mac::Hex(std::uint64_t{prefix} << 24, 6);
    keys_.push_back(hex.substr(0, 2) + "-" + hex.substr(2, 2) + "-" +
                    hex.substr(4, 2));
  }
  std::sort(keys_.begin(), keys_.end());
  keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
  for (const std::string& key : keys_) finders_.emplace_back(key, true);
}

void RecordFilter::Restart() {
  kept_.clear();
  saw_record_ = false;
  at_start_ = true;
}

void RecordFilter::LookForRecord(std::string_view text, std::size_t until) {
  for (std::size_t marker = RecordMarker().In(text, 0);
       marker != std::string_view::npos && marker < until;
       marker = RecordMarker().In(text, marker + 1)) {
    // The marker's line and the one after it, as a listing of their own.
    const std::size_t start = LineStartBefore(text, marker);
    const std::size_t second = NextLine(text, LineEndFrom(text, marker));
    const std::size_t end = LineEndFrom(text, second);
    if (IsRecord(kind_, text.substr(start, end - start))) {
      saw_record_ = true;
      return;
    }
  }
}

std::size_t RecordFilter::Take(std::string_view text, bool at_end) {
  std::size_t begin = 0;
  if (at_start_) {
    // A byte-order mark an editor put before the first line.
    if (text.size() < 3 && !at_end) return 0;
    if (text.starts_with("\xEF\xBB\xBF")) begin = 3;
    at_start_ = false;
  }
  // Whole lines, less the last whole one, which comes again with what
  // follows it: a record's line after is always at hand.
  std::size_t until = text.size();
  if (!at_end) {
    const std::size_t last_break = text.find_last_of('\n');
    if (last_break == std::string_view::npos || last_break < begin) {
      return begin;
    }
    const std::size_t before = text.substr(0, last_break).find_last_of('\n');
    until =
        before == std::string_view::npos || before < begin ? begin : before + 1;
  }
  if (!saw_record_) LookForRecord(text, until);
  // The lines of every key, in file order.
  std::vector<std::pair<std::size_t, std::size_t>> lines;
  for (const Finder& finder : finders_) {
    for (std::size_t at = finder.In(text, begin); at != std::string_view::npos;
         at = finder.In(text, at + 1)) {
      std::size_t start = at;
      while (start > begin && IsBlank(text[start - 1])) --start;
      if (start >= until) break;
      if (start != begin && !StartsLine(text, start)) continue;
      std::size_t end = LineEndFrom(text, at);
      if (RowOf(kind_).shape == RecordShape::kBlocks) {
        end = LineEndFrom(text, NextLine(text, end));
      }
      lines.emplace_back(start, end);
    }
  }
  std::sort(lines.begin(), lines.end());
  std::size_t kept_until = 0;
  for (const auto& [start, end] : lines) {
    if (start < kept_until) continue;  // a key line kept as a line after
    kept_until = end;
    // A block record's two lines, each with its own line end.
    std::string_view record = text.substr(start, end - start);
    while (!record.empty()) {
      const std::size_t line_end = LineEndFrom(record, 0);
      kept_.append(record.substr(0, line_end)).append("\r\n");
      record.remove_prefix(std::min(record.size(), NextLine(record, line_end)));
    }
  }
  return until;
}

}  // namespace venmark

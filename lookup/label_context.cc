#include "lookup/label_context.h"

#include <algorithm>
#include <cstring>

namespace venmark {
namespace {

// Labels of a MAC in the outputs of real systems, in lower case.
constexpr std::string_view kLabels[] = {
    "physical address",
    "permanent address",
    "permanentaddress",
    "hardware address",
    "hwaddr",
    "networkaddress",
    "network address",
    "station address",
    "user-name",
    "chaddr",
    "calling-station-id",
    "lladdr",
    "hardware ethernet",
    "ethernet address",
    "burned-in address",
    "физический адрес",
    "Физический адрес",
    "ФИЗИЧЕСКИЙ АДРЕС",
};

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

// "MAC" as a word of its own, or starting "MACAddress", "mac_addr",
// "macaddress1": not "Machine" or "Macintosh".
bool HasMacWord(std::string_view lower) {
  for (std::size_t at = lower.find("mac"); at != std::string_view::npos;
       at = lower.find("mac", at + 1)) {
    if (at > 0 && IsLetter(lower[at - 1])) continue;
    const std::string_view rest = lower.substr(at + 3);
    if (rest.empty() || !IsLetter(rest[0]) || rest.starts_with("addr")) {
      return true;
    }
  }
  return false;
}

// The column (in characters) at which byte offset bytes of line stands.
std::size_t Column(std::string_view line, std::size_t bytes) {
  std::size_t column = 0;
  for (std::size_t i = 0; i < bytes && i < line.size(); ++i) {
    column += (static_cast<unsigned char>(line[i]) & 0xC0) != 0x80;
  }
  return column;
}

// The byte offset of column in line, or its size when shorter.
std::size_t ByteOf(std::string_view line, std::size_t column) {
  std::size_t i = 0;
  for (std::size_t seen = 0; i < line.size(); ++i) {
    if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
    if (seen++ == column) return i;
  }
  return i;
}

bool IsGap(std::string_view line, std::size_t i) {
  // Cells of a table stand apart by a tab or two spaces; one space may
  // stand inside a heading ("Station Address").
  if (line[i] == '\t') return true;
  if (line[i] != ' ') return false;
  return (i > 0 && line[i - 1] == ' ') ||
         (i + 1 < line.size() && (line[i + 1] == ' ' || line[i + 1] == '\t'));
}

// The heading of line that stands over column first, or else the first
// that starts over columns (first, first + width).
std::string_view CellsOver(std::string_view line, std::size_t first,
                           std::size_t width) {
  std::size_t begin = ByteOf(line, first);
  const std::size_t last = ByteOf(line, first + width);
  while (begin < last && begin < line.size() && IsGap(line, begin)) ++begin;
  if (begin >= line.size() || begin >= last) return {};
  while (begin > 0 && !IsGap(line, begin - 1)) --begin;
  std::size_t end = begin;
  while (end < line.size() && !IsGap(line, end)) ++end;
  return line.substr(begin, end - begin);
}

// Field number index of line split at separator, outside double quotes.
std::string_view Field(std::string_view line, char separator,
                       std::size_t index) {
  std::size_t begin = 0;
  bool quoted = false;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i < line.size() && line[i] == '"') quoted = !quoted;
    if (i == line.size() || (line[i] == separator && !quoted)) {
      if (index-- == 0) return line.substr(begin, i - begin);
      begin = i + 1;
    }
  }
  return {};
}

std::size_t FieldIndex(std::string_view prefix, char separator) {
  std::size_t index = 0;
  bool quoted = false;
  for (const char c : prefix) {
    if (c == '"') quoted = !quoted;
    index += c == separator && !quoted;
  }
  return index;
}

// Whether line may hold a label at all: every label has "dd" ("addr"),
// "mac", "r-n" ("user-name"), "g-s" ("calling-station-id"), "war"
// ("hardware") or a Cyrillic letter in it. Most lines of a log have none.
bool MayHoldLabel(std::string_view line) {
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  unsigned hit = 0;
  for (std::size_t i = 0; i + 2 < n; ++i) {
    const unsigned a = p[i] | 0x20u, b = p[i + 1] | 0x20u, c = p[i + 2] | 0x20u;
    hit |= (a == 'd') & (b == 'd');
    hit |= (a == 'm') & (b == 'a') & (c == 'c');
    hit |= (a == 'w') & (b == 'a') & (c == 'r');
    hit |= (a == 'r') & (p[i + 1] == '-') & (c == 'n');
    hit |= (a == 'g') & (p[i + 1] == '-') & (c == 's');
    hit |= p[i] == 0xD0;
  }
  // The last two bytes: a Cyrillic letter still counts.
  for (std::size_t i = n >= 2 ? n - 2 : 0; i < n; ++i) hit |= p[i] == 0xD0;
  return hit != 0;
}

}  // namespace

bool LabelContext::HasLabel(std::string_view line) {
  if (!MayHoldLabel(line)) return false;
  std::string lower(line);
  std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
  if (HasMacWord(lower)) return true;
  return std::any_of(std::begin(kLabels), std::end(kLabels),
                     [&](std::string_view label) {
                       return lower.find(label) != std::string::npos ||
                              line.find(label) != std::string_view::npos;
                     });
}

void LabelContext::EndLine() {
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  const bool blank =
      !line_cut_ && line_.find_first_not_of(" \t\f\v\r") == std::string::npos;
  if (blank) {
    header_.clear();
    below_header_.clear();
    after_header_ = false;
    first_.clear();
    second_.clear();
    lines_in_block_ = 0;
  } else if (!line_cut_ && HasLabel(line_)) {
    header_ = line_;
    below_header_.clear();
    after_header_ = true;
  } else if (after_header_) {
    below_header_ = line_cut_ ? std::string() : line_;
    after_header_ = false;
  }
  if (!blank && lines_in_block_ < 2) {
    (lines_in_block_ == 0 ? first_ : second_) = line_cut_ ? "" : line_;
    ++lines_in_block_;
  }
  line_.clear();
  line_cut_ = false;
}

void LabelContext::Advance(std::string_view text, std::size_t to) {
  std::size_t at = done_;
  while (at < to) {
    const void* found = std::memchr(text.data() + at, '\n', to - at);
    const std::size_t end =
        found == nullptr ? to
                         : static_cast<std::size_t>(
                               static_cast<const char*>(found) - text.data());
    line_.append(text.substr(at, end - at));
    if (line_.size() > kReach) {
      line_.erase(0, line_.size() - kReach);
      line_cut_ = true;
    }
    if (found == nullptr) break;
    EndLine();
    at = end + 1;
  }
  done_ = std::max(done_, to);
}

void LabelContext::Drop(std::string_view text, std::size_t to, std::size_t n) {
  Advance(text, to);
  done_ -= n;
}

bool LabelContext::HeadsColumn(std::string_view top, std::string_view bottom,
                               std::size_t column, std::size_t width) {
  const std::string_view heading = CellsOver(top, column, width);
  if (HasLabel(heading)) return true;
  const std::string_view below = CellsOver(bottom, column, width);
  return !heading.empty() && !below.empty() &&
         HasLabel(std::string(heading) + " " + std::string(below));
}

bool LabelContext::Labelled(std::string_view text, std::size_t at,
                            std::size_t end) {
  Advance(text, at);
  if (HasLabel(line_)) return true;
  if (line_cut_) return false;
  // A CSV field under a heading that names a MAC.
  for (const char separator : {',', ';'}) {
    if (header_.find(separator) != std::string::npos &&
        line_.find(separator) != std::string::npos) {
      return HasLabel(Field(header_, separator, FieldIndex(line_, separator)));
    }
  }
  // A column of a table, its heading on one line or on the first two of
  // the table.
  const std::size_t column = Column(line_, line_.size());
  const std::size_t width = end - at;
  return HeadsColumn(header_, below_header_, column, width) ||
         HeadsColumn(first_, second_, column, width);
}

}  // namespace venmark

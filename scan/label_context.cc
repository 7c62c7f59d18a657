#include "scan/label_context.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "scan/byte_passes.h"
#include "scan/mac_shapes.h"

namespace venmark {
namespace {

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

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The key whose value the word after before is, where before ends in a
// key with letters in it, ":" or "=", then blanks or a quote ("S/N" of
// "MAC: 3C52821A5D07  S/N: ", "ts" of "mac=…&ts="). A key runs back to the
// line's start, two blanks, a tab, or one of , ; & ? { [ ( = :.
std::optional<std::string_view> KeyBefore(std::string_view before) {
  std::size_t end = before.size();
  while (end > 0 && (IsBlank(before[end - 1]) || before[end - 1] == '"' ||
                     before[end - 1] == '\'')) {
    --end;
  }
  if (end == 0 || (before[end - 1] != ':' && before[end - 1] != '=')) {
    return std::nullopt;
  }
  --end;
  while (end > 0 && IsBlank(before[end - 1])) --end;
  std::size_t begin = end;
  while (begin > 0) {
    const char c = before[begin - 1];
    // Another key's sign ends it too: "MAC='…' SN='…'".
    if (c == '\t' || c == ',' || c == ';' || c == '&' || c == '?' || c == '{' ||
        c == '[' || c == '(' || c == '=' || c == ':' ||
        (c == ' ' && begin >= 2 && before[begin - 2] == ' ')) {
      break;
    }
    --begin;
  }
  const std::string_view key = before.substr(begin, end - begin);
  const bool has_letter = std::any_of(key.begin(), key.end(), [](char c) {
    return (shapes::Lower(c) >= 'a' && shapes::Lower(c) <= 'z') ||
           static_cast<unsigned char>(c) >= 0x80;
  });
  if (!has_letter) return std::nullopt;
  return key;
}

// Whether line holds a MAC's value: twelve hex digits or more in one run,
// separators (: - .) allowed between them. A row of a table holds one; a
// heading does not.
bool HoldsValue(std::string_view line) {
  std::size_t digits = 0;
  for (const char c : line) {
    if (shapes::IsHex(c)) {
      if (++digits >= 12) return true;
    } else if (c != ':' && c != '-' && c != '.') {
      digits = 0;
    }
  }
  return false;
}

}  // namespace

void LabelContext::EndLine(std::string_view line, bool cut) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const bool blank =
      !cut && line.find_first_not_of(" \t\f\v\r") == std::string_view::npos;
  if (blank) {
    header_.clear();
    below_header_.clear();
    after_header_ = false;
    first_.clear();
    second_.clear();
    lines_in_block_ = 0;
    past_unknown_ = false;
  } else if (!cut && HasLabel(line, LabelKind::kMac, true) &&
             (header_.empty() || !HoldsValue(line))) {
    // A row that names a Mac computer or says "МАК" in a note is no new
    // heading: only a heading row, or a blank line, ends the last one.
    header_ = line;
    below_header_.clear();
    after_header_ = true;
  } else if (after_header_) {
    below_header_ = cut ? std::string_view() : line;
    after_header_ = false;
  }
  if (!blank && lines_in_block_ < 2) {
    (lines_in_block_ == 0 ? first_ : second_) = cut ? std::string_view() : line;
    ++lines_in_block_;
  }
}

namespace {

// Where the line of text from at ends before to: at LF, or at a CR that no
// LF follows (old Mac text) where the byte after it is there to tell;
// npos when it does not end before to.
std::size_t LineEndIn(std::string_view text, std::size_t at, std::size_t to) {
  const char* const base = text.data();
  const void* lf = std::memchr(base + at, '\n', to - at);
  const std::size_t until =
      lf == nullptr
          ? to
          : static_cast<std::size_t>(static_cast<const char*>(lf) - base);
  for (const void* cr = std::memchr(base + at, '\r', until - at);
       cr != nullptr;) {
    const auto i =
        static_cast<std::size_t>(static_cast<const char*>(cr) - base);
    if (i + 1 < text.size() && text[i + 1] != '\n') return i;
    if (i + 1 >= until) break;
    cr = std::memchr(base + i + 1, '\r', until - i - 1);
  }
  return lf == nullptr ? std::string_view::npos : until;
}

}  // namespace

void LabelContext::TakeIn(std::string_view bytes) {
  line_.append(bytes);
  if (line_.size() > kReach) {
    line_.erase(0, line_.size() - kReach);
    line_cut_ = true;
  }
}

void LabelContext::EndTakenLine() {
  EndLine(line_, line_cut_);
  line_.clear();
  line_cut_ = false;
}

void LabelContext::Advance(std::string_view text, std::size_t to) {
  const std::size_t from = done_;
  done_ = std::max(done_, to);
  // A CR that ended what was taken in before, now that the byte after it
  // is here and no LF: even where nothing more is taken in, the line it
  // ended is over.
  if (!line_.empty() && line_.back() == '\r' && from < text.size() &&
      text[from] != '\n') {
    EndTakenLine();
  }
  if (from >= to) return;
  std::size_t end = LineEndIn(text, from, to);
  if (end == std::string_view::npos) {
    TakeIn(text.substr(from, to - from));
    return;
  }
  // The line begun before ends here.
  TakeIn(text.substr(from, end - from));
  EndTakenLine();
  std::size_t at = end + 1;
  for (;;) {
    if (lines_in_block_ >= 2 && !after_header_) {
      // Now a line changes nothing unless it may hold a label or a blank
      // line follows it: the walk leaps to the first that may.
      const std::size_t mark = NextLabelMark(text, at - 1, to);
      std::size_t last = mark < to ? mark : to;
      while (last > at && text[last - 1] != '\n') --last;
      // A mark at a line break (LF, or a lone CR before a blank) starts
      // the walk at the line after it.
      at = mark < to && (text[mark] == '\n' || text[mark] == '\r') ? mark + 1
                                                                   : last;
    }
    if ((end = LineEndIn(text, at, to)) == std::string_view::npos) break;
    EndLine(text.substr(at, end - at), end - at > kReach);
    at = end + 1;
  }
  TakeIn(text.substr(at, to - at));
}

void LabelContext::Drop(std::string_view text, std::size_t to, std::size_t n) {
  Advance(text, to);
  done_ -= n;
}

bool LabelContext::HeadsColumn(std::string_view top, std::string_view bottom,
                               std::size_t column, std::size_t width,
                               LabelKind kind) {
  // A heading is a few words; a sentence over the text (a chat message
  // that mentions a MAC) heads no column.
  constexpr std::size_t kLongestHeading = 48;
  const std::string_view heading = CellsOver(top, column, width);
  if (heading.size() > kLongestHeading) return false;
  if (HasLabel(heading, kind)) return true;
  const std::string_view below = CellsOver(bottom, column, width);
  return !heading.empty() && !below.empty() &&
         HasLabel(std::string(heading) + " " + std::string(below), kind);
}

bool LabelContext::Labelled(std::string_view text, std::size_t at,
                            std::size_t end, LabelKind kind) {
  Advance(text, at);
  // A value under a key of its own is named by that key alone: a MAC
  // label's reach ends at the next key ("MAC: …  S/N: …", "mac=…&ts=…").
  const std::optional<std::string_view> key = KeyBefore(line_);
  if (key && HasLabel(*key, kind)) return true;
  if (!key && HasLabel(line_, kind)) return true;
  if (line_cut_) return false;
  // Whatever follows rests on the lines above.
  if (past_unknown_) {
    unsure_ = true;
    return false;
  }
  // A CSV field under a heading that names a MAC, or a tab-separated one
  // (a sheet pasted from Excel, a PowerShell export).
  for (const char separator : {',', ';', '\t'}) {
    if (header_.find(separator) != std::string::npos &&
        line_.find(separator) != std::string::npos) {
      return HasLabel(Field(header_, separator, FieldIndex(line_, separator)),
                      kind);
    }
  }
  // A value given its own key ("serial-number: …", "Id = …") is named by
  // that key, which says no MAC, not by a heading further up.
  if (key) return false;
  // A column of a table, its heading on one line or on the first two of
  // the table.
  const std::size_t column = Column(line_, line_.size());
  const std::size_t width = end - at;
  return HeadsColumn(header_, below_header_, column, width, kind) ||
         HeadsColumn(first_, second_, column, width, kind);
}

}  // namespace venmark

#include "lookup/mac_scanner.h"

#include <array>

namespace venmark {
namespace {

constexpr std::size_t kGroupedLength = 17;  // 00-1a-2b-3c-4d-5e
constexpr std::size_t kQuadLength = 14;     // 001a.2b3c.4d5e, 001a-2b3c-4d5e

enum CharClass : unsigned char { kOther = 0, kHex = 1, kAlnum = 2 };

constexpr std::array<unsigned char, 256> MakeClassTable() {
  std::array<unsigned char, 256> table{};
  for (char c = 'g'; c <= 'z'; ++c)
    table[static_cast<unsigned char>(c)] = kAlnum;
  for (char c = 'G'; c <= 'Z'; ++c)
    table[static_cast<unsigned char>(c)] = kAlnum;
  for (char c = '0'; c <= '9'; ++c)
    table[static_cast<unsigned char>(c)] = kHex | kAlnum;
  for (char c = 'a'; c <= 'f'; ++c)
    table[static_cast<unsigned char>(c)] = kHex | kAlnum;
  for (char c = 'A'; c <= 'F'; ++c)
    table[static_cast<unsigned char>(c)] = kHex | kAlnum;
  return table;
}
constexpr std::array<unsigned char, 256> kClass = MakeClassTable();

bool IsHex(char c) { return kClass[static_cast<unsigned char>(c)] & kHex; }
bool IsAlnum(char c) { return kClass[static_cast<unsigned char>(c)] & kAlnum; }

int HexValue(char c) {
  if (c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Whether s (at least `groups * (width + 1) - 1` bytes) holds `groups` groups
// of `width` hex digits with `separator` between them; the digits, in order,
// go into *address.
bool MatchGroups(std::string_view s, std::size_t groups, std::size_t width,
                 char separator, std::uint64_t* address) {
  std::uint64_t value = 0;
  for (std::size_t group = 0; group < groups; ++group) {
    const std::size_t at = group * (width + 1);
    for (std::size_t i = 0; i < width; ++i) {
      const char c = s[at + i];
      if (!IsHex(c)) return false;
      value = (value << 4) | static_cast<std::uint64_t>(HexValue(c));
    }
    if (group + 1 < groups && s[at + width] != separator) return false;
  }
  *address = value;
  return true;
}

// Whether the longest run of letters and digits that ends just before end
// is not empty and all hex digits.
bool HexWordEndsAt(std::string_view text, std::size_t end) {
  if (end == 0 || !IsAlnum(text[end - 1])) return false;
  for (std::size_t i = end; i > 0 && IsAlnum(text[i - 1]); --i) {
    if (!IsHex(text[i - 1])) return false;
  }
  return true;
}

// Whether the longest run of letters and digits that starts at begin is not
// empty and all hex digits.
bool HexWordStartsAt(std::string_view text, std::size_t begin) {
  if (begin >= text.size() || !IsAlnum(text[begin])) return false;
  for (std::size_t i = begin; i < text.size() && IsAlnum(text[i]); ++i) {
    if (!IsHex(text[i])) return false;
  }
  return true;
}

// Whether the MAC at [start, start + length) stands on its own: no letter
// or digit touches it, and its separator does not carry it on into a hex
// word on either side.
bool IsWhole(std::string_view text, std::size_t start, std::size_t length,
             char separator) {
  if (start > 0) {
    const char before = text[start - 1];
    if (IsAlnum(before)) return false;
    if (before == separator && HexWordEndsAt(text, start - 1)) return false;
  }
  const std::size_t end = start + length;
  if (end < text.size()) {
    const char after = text[end];
    if (IsAlnum(after)) return false;
    if (after == separator && HexWordStartsAt(text, end + 1)) return false;
  }
  return true;
}

// "AB-CD-EF" from the characters at positions a, b, c, d, e, f of s.
std::string JoinKey(std::string_view s, std::size_t a, std::size_t b,
                    std::size_t c, std::size_t d, std::size_t e,
                    std::size_t f) {
  return {Upper(s[a]), Upper(s[b]), '-',         Upper(s[c]),
          Upper(s[d]), '-',         Upper(s[e]), Upper(s[f])};
}

bool IsSeparator(char c) { return c == '-' || c == ':' || c == '.'; }

}  // namespace

std::string SearchWindows(std::string_view candidate_mac) {
  return JoinKey(candidate_mac, 0, 1, 3, 4, 6, 7);
}

std::string SearchUnix(std::string_view candidate_mac) {
  return JoinKey(candidate_mac, 0, 1, 3, 4, 6, 7);
}

std::string SearchCisco(std::string_view candidate_mac) {
  return JoinKey(candidate_mac, 0, 1, 2, 3, 5, 6);
}

std::string SearchHuawei(std::string_view candidate_mac) {
  return SearchCisco(candidate_mac);
}

std::optional<MacFinding> MacScanner::Next() {
  const std::size_t size = text_.size();
  // Every notation has a separator at a fixed place, so one byte rules out
  // almost every position before any digit is examined. No two notations
  // can match at one position.
  for (; position_ + kQuadLength <= size && position_ < start_limit_;
       ++position_) {
    const std::size_t i = position_;
    std::uint64_t address = 0;
    const char third = text_[i + 2];
    if ((third == '-' || third == ':') && i + kGroupedLength <= size) {
      const std::string_view slice = text_.substr(i, kGroupedLength);
      if (MatchGroups(slice, 6, 2, third, &address) &&
          IsWhole(text_, i, kGroupedLength, third)) {
        ++position_;
        return third == '-' ? MacFinding{i, Notation::kDash, slice,
                                         SearchWindows(slice), address}
                            : MacFinding{i, Notation::kColon, slice,
                                         SearchUnix(slice), address};
      }
    }
    const char fifth = text_[i + 4];
    if (fifth == '.' || fifth == '-') {
      const std::string_view slice = text_.substr(i, kQuadLength);
      if (MatchGroups(slice, 3, 4, fifth, &address) &&
          IsWhole(text_, i, kQuadLength, fifth)) {
        ++position_;
        return fifth == '.' ? MacFinding{i, Notation::kDot, slice,
                                         SearchCisco(slice), address}
                            : MacFinding{i, Notation::kDashQuad, slice,
                                         SearchHuawei(slice), address};
      }
    }
  }
  return std::nullopt;
}

std::vector<MacFinding> FindMacs(std::string_view text) {
  std::vector<MacFinding> findings;
  MacScanner scanner(text);
  while (std::optional<MacFinding> finding = scanner.Next()) {
    findings.push_back(std::move(*finding));
  }
  return findings;
}

std::size_t StreamScanner::DecidedLength() const {
  // A byte that is neither a hex digit nor a separator can be part of no
  // MAC, and no hex word runs across it: whether a MAC before it or after
  // it stands whole is settled on its own side. So the text up to the last
  // such byte is decided.
  for (std::size_t i = pending_.size(); i > 1; --i) {
    const char c = pending_[i - 1];
    if (!IsHex(c) && !IsSeparator(c)) return i;
  }
  return 0;
}

}  // namespace venmark

#include "lookup/mac_scanner.h"

#include <array>

namespace venmark {
namespace {

constexpr std::size_t kGroupedLength = 17;  // 00-1a-2b-3c-4d-5e
constexpr std::size_t kDottedLength = 14;   // 001a.2b3c.4d5e

constexpr std::array<bool, 256> MakeHexTable() {
  std::array<bool, 256> table{};
  for (char c = '0'; c <= '9'; ++c) table[static_cast<unsigned char>(c)] = true;
  for (char c = 'a'; c <= 'f'; ++c) table[static_cast<unsigned char>(c)] = true;
  for (char c = 'A'; c <= 'F'; ++c) table[static_cast<unsigned char>(c)] = true;
  return table;
}
constexpr std::array<bool, 256> kIsHex = MakeHexTable();

bool IsHex(char c) { return kIsHex[static_cast<unsigned char>(c)]; }

char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

// Six pairs of hex digits with `separator` after each of the first five.
bool IsGroupedMac(std::string_view s, char separator) {
  if (s.size() < kGroupedLength) return false;
  for (std::size_t group = 0; group < 6; ++group) {
    const std::size_t at = group * 3;
    if (!IsHex(s[at]) || !IsHex(s[at + 1])) return false;
    if (group < 5 && s[at + 2] != separator) return false;
  }
  return true;
}

// Three groups of four hex digits separated by dots.
bool IsDottedMac(std::string_view s) {
  if (s.size() < kDottedLength) return false;
  for (std::size_t group = 0; group < 3; ++group) {
    const std::size_t at = group * 5;
    for (std::size_t i = 0; i < 4; ++i) {
      if (!IsHex(s[at + i])) return false;
    }
    if (group < 2 && s[at + 4] != '.') return false;
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

std::optional<MacFinding> MacScanner::Next() {
  const std::size_t size = text_.size();
  // Every notation has a separator at a fixed place, so one byte rules out
  // almost every position before any digit is examined. The notations
  // exclude each other, so a position starts at most one MAC.
  for (; position_ + kDottedLength <= size && position_ < start_limit_;
       ++position_) {
    const std::size_t i = position_;
    const char third = text_[i + 2];
    if ((third == '-' || third == ':') && i + kGroupedLength <= size) {
      const std::string_view slice = text_.substr(i, kGroupedLength);
      if (IsGroupedMac(slice, third)) {
        ++position_;
        return third == '-'
                   ? MacFinding{i, Notation::kDash, slice, SearchWindows(slice)}
                   : MacFinding{i, Notation::kColon, slice, SearchUnix(slice)};
      }
    }
    if (text_[i + 4] == '.') {
      const std::string_view slice = text_.substr(i, kDottedLength);
      if (IsDottedMac(slice)) {
        ++position_;
        return MacFinding{i, Notation::kDot, slice, SearchCisco(slice)};
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

}  // namespace venmark

#include "lookup/mac_scanner.h"

#include <algorithm>
#include <array>

namespace venmark {
namespace {

constexpr std::size_t kGroupedLength = 17;   // 00-1a-2b-3c-4d-5e
constexpr std::size_t kQuadLength = 14;      // 001a.2b3c.4d5e, 001a-2b3c-4d5e
constexpr std::size_t kSixSixLength = 13;    // 001e49-7a33c1
constexpr std::size_t kClientIdLength = 17;  // 0100.1a2b.3c4d.5e

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

// Whether a bare word at [start, start + length) stands on its own: no
// separator joins it to a hex word on either side (a GUID's last group, a
// longer identifier).
bool IsWholeBare(std::string_view text, std::size_t start, std::size_t length) {
  for (const char separator : {'-', ':', '.'}) {
    if (!IsWhole(text, start, length, separator)) return false;
  }
  return true;
}

// Whether six groups of one or two hex digits joined by colons start at
// start, the last not running on into a third digit; their value goes
// into *address and their length into *length.
bool MatchColonShort(std::string_view text, std::size_t start,
                     std::uint64_t* address, std::size_t* length) {
  std::uint64_t value = 0;
  std::size_t i = start;
  for (int group = 0; group < 6; ++group) {
    if (group > 0) {
      if (i >= text.size() || text[i] != ':') return false;
      ++i;
    }
    std::size_t digits = 0;
    unsigned byte = 0;
    while (i < text.size() && IsHex(text[i]) && digits < 3) {
      byte = byte << 4 | static_cast<unsigned>(HexValue(text[i]));
      ++digits;
      ++i;
    }
    if (digits == 0 || digits > 2) return false;
    value = value << 8 | byte;
  }
  *address = value;
  *length = i - start;
  return true;
}

// Whether "Hex-STRING:" and blanks stand right before start.
bool AfterHexStringTag(std::string_view text, std::size_t start) {
  constexpr std::string_view kTag = "Hex-STRING:";
  std::size_t i = start;
  while (i > 0 && text[i - 1] == ' ') --i;
  return i < start && i >= kTag.size() &&
         text.substr(i - kTag.size(), kTag.size()) == kTag;
}

// Whether " HH" (a seventh pair) follows at position at.
bool PairFollows(std::string_view text, std::size_t at) {
  return at + 2 < text.size() && text[at] == ' ' && IsHex(text[at + 1]) &&
         IsHex(text[at + 2]);
}

// "01HH.HHHH.HHHH.HH": the MAC is the twelve digits after the 01.
bool MatchClientId(std::string_view s, std::uint64_t* address) {
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < kClientIdLength; ++i) {
    if (i == 4 || i == 9 || i == 14) {
      if (s[i] != '.') return false;
      continue;
    }
    if (!IsHex(s[i])) return false;
    if (i >= 2)
      value = (value << 4) | static_cast<std::uint64_t>(HexValue(s[i]));
  }
  *address = value;
  return true;
}

// "AB-CD-EF" from the characters at positions a, b, c, d, e, f of s.
std::string JoinKey(std::string_view s, std::size_t a, std::size_t b,
                    std::size_t c, std::size_t d, std::size_t e,
                    std::size_t f) {
  return {Upper(s[a]), Upper(s[b]), '-',         Upper(s[c]),
          Upper(s[d]), '-',         Upper(s[e]), Upper(s[f])};
}

// A byte that no MAC holds and that joins no words: text up to it is
// decided whatever follows. Blanks join the pairs after "Hex-STRING:", and
// x the 0x of a bare MAC.
bool IsHardByte(char c) {
  return !IsHex(c) && c != '-' && c != ':' && c != '.' && c != ' ' &&
         c != 'x' && c != 'X';
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

std::string SearchHuawei(std::string_view candidate_mac) {
  return SearchCisco(candidate_mac);
}

std::string OuiKey(std::uint64_t address) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string key = "00-00-00";
  for (int i = 0; i < 6; ++i) {
    key[static_cast<std::size_t>(i + i / 2)] =
        kHex[(address >> (44 - 4 * i)) & 0xF];
  }
  return key;
}

bool MacScanner::Labelled(std::size_t at, std::size_t end) {
  if (labels_ == nullptr) labels_ = &own_labels_.emplace();
  return labels_->Labelled(text_, at, end);
}

std::optional<MacFinding> MacScanner::MatchAt(std::size_t word,
                                              std::size_t end) {
  const std::size_t size = text_.size();
  const std::size_t length = end - word;
  const char after = end < size ? text_[end] : '\0';
  std::uint64_t address = 0;
  auto finding = [&](std::size_t mac_length, Notation notation) {
    const std::string_view mac = text_.substr(word, mac_length);
    return MacFinding{word, notation, mac, OuiKey(address), address};
  };
  switch (length) {
    case 1:
    case 2: {
      std::size_t mac_length = 0;
      if (after == ':' && MatchColonShort(text_, word, &address, &mac_length)) {
        // With one-digit groups no colon may stand before it at all: the
        // tail of an IPv6 address ("fe80::1:2:3:4:5:6") is no MAC.
        const bool grouped = mac_length == kGroupedLength;
        if (IsWhole(text_, word, mac_length, ':') &&
            (grouped || word == 0 || text_[word - 1] != ':')) {
          return finding(mac_length,
                         grouped ? Notation::kColon : Notation::kColonShort);
        }
      }
      if (length == 2 && after == '-' && word + kGroupedLength <= size &&
          MatchGroups(text_.substr(word, kGroupedLength), 6, 2, '-',
                      &address) &&
          IsWhole(text_, word, kGroupedLength, '-')) {
        return finding(kGroupedLength, Notation::kDash);
      }
      if (length == 2 && after == ' ' && word + kGroupedLength <= size &&
          AfterHexStringTag(text_, word) &&
          MatchGroups(text_.substr(word, kGroupedLength), 6, 2, ' ',
                      &address) &&
          IsWhole(text_, word, kGroupedLength, ' ') &&
          !PairFollows(text_, word + kGroupedLength)) {
        return finding(kGroupedLength, Notation::kHexString);
      }
      return std::nullopt;
    }
    case 4:
      if ((after == '.' || after == '-') && word + kQuadLength <= size &&
          MatchGroups(text_.substr(word, kQuadLength), 3, 4, after, &address) &&
          IsWhole(text_, word, kQuadLength, after)) {
        return finding(kQuadLength,
                       after == '.' ? Notation::kDot : Notation::kDashQuad);
      }
      // 01 (Ethernet) and the MAC: "0100.1a2b.3c4d.5e".
      if (after == '.' && text_[word] == '0' && text_[word + 1] == '1' &&
          word + kClientIdLength <= size &&
          MatchClientId(text_.substr(word, kClientIdLength), &address) &&
          IsWhole(text_, word, kClientIdLength, '.')) {
        return finding(kClientIdLength, Notation::kClientId);
      }
      return std::nullopt;
    case 6:
      if (after == '-' && word + kSixSixLength <= size &&
          MatchGroups(text_.substr(word, kSixSixLength), 2, 6, '-', &address) &&
          IsWhole(text_, word, kSixSixLength, '-')) {
        return finding(kSixSixLength, Notation::kSixSix);
      }
      return std::nullopt;
    case 12:
      if (MatchGroups(text_.substr(word, 12), 1, 12, '\0', &address) &&
          IsWholeBare(text_, word, 12) && Labelled(word, end)) {
        return finding(12, Notation::kBare);
      }
      return std::nullopt;
    case 14:
      // 0x001A2B3C4D5E (HP-UX lanscan).
      if (text_[word] == '0' && (text_[word + 1] | 0x20) == 'x' &&
          MatchGroups(text_.substr(word + 2, 12), 1, 12, '\0', &address) &&
          IsWholeBare(text_, word, 14) && Labelled(word, end)) {
        return finding(14, Notation::kBare);
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<MacFinding> MacScanner::Next() {
  const std::size_t size = text_.size();
  const std::size_t limit = std::min(size, start_limit_);
  // A MAC starts where a word of letters and digits starts; every notation
  // but 0x begins with a word of hex digits alone, as long as its first
  // group. Words of other letters are passed over whole.
  std::size_t i = position_;
  // A word that began before position_ had its turn already.
  while (i < size && i > 0 && IsAlnum(text_[i - 1]) && IsAlnum(text_[i])) ++i;
  while (i < limit) {
    while (i < limit && !IsAlnum(text_[i])) ++i;
    if (i >= limit) break;
    const std::size_t word = i;
    bool hex = true;
    while (i < size && IsAlnum(text_[i])) {
      hex = hex && IsHex(text_[i]);
      ++i;
    }
    const std::size_t length = i - word;
    if (!hex && !(length == 14 && text_[word] == '0' &&
                  (text_[word + 1] | 0x20) == 'x')) {
      continue;
    }
    if (std::optional<MacFinding> found = MatchAt(word, i)) {
      position_ = i;
      return found;
    }
  }
  position_ = std::max(position_, limit);
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
    if (IsHardByte(c)) return i;
  }
  return 0;
}

}  // namespace venmark

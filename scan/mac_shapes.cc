// The shapes MACs are written in, and what may stand around them.
#include "scan/mac_shapes.h"

#include "scan/mac.h"

namespace venmark::shapes {
char Upper(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool HasAt(std::string_view text, std::size_t at, std::string_view word) {
  if (at > text.size() || text.size() - at < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (Lower(text[at + i]) != word[i]) return false;
  }
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
             std::string_view separator) {
  const std::size_t n = separator.size();
  if (start > 0) {
    if (IsAlnum(text[start - 1])) return false;
    if (start >= n && HasAt(text, start - n, separator) &&
        HexWordEndsAt(text, start - n)) {
      return false;
    }
  }
  const std::size_t end = start + length;
  if (end < text.size()) {
    if (IsAlnum(text[end])) return false;
    if (HasAt(text, end, separator) && HexWordStartsAt(text, end + n)) {
      return false;
    }
  }
  return true;
}

// Whether a bare word at [start, start + length) stands on its own: no
// separator joins it to a hex word on either side (a GUID's last group, a
// longer identifier).
bool IsWholeBare(std::string_view text, std::size_t start, std::size_t length) {
  for (const std::string_view separator : {"-", ":", "."}) {
    if (!IsWhole(text, start, length, separator)) return false;
  }
  return true;
}

// Whether six groups of one or two hex digits joined by colons start at
// start, the last not running on into a third digit; their value goes
// into *address and their length into *length.
std::size_t ReadColonGroups(std::string_view text, std::size_t start,
                            std::span<unsigned> groups, std::size_t* end) {
  std::size_t count = 0;
  std::size_t i = start;
  for (;;) {
    std::size_t digits = 0;
    unsigned value = 0;
    while (i < text.size() && IsHex(text[i]) && digits < 3) {
      value = value << 4 | static_cast<unsigned>(mac::KnownHexValue(text[i]));
      ++digits;
      ++i;
    }
    if (digits == 0 || digits > 2) return 0;
    groups[count++] = value;
    if (count == groups.size() || i + 1 >= text.size() || text[i] != ':' ||
        !IsHex(text[i + 1])) {
      break;
    }
    ++i;
  }
  *end = i;
  return count;
}

bool MatchColonShort(std::string_view text, std::size_t start,
                     std::uint64_t* address, std::size_t* length) {
  std::array<unsigned, 6> groups{};
  std::size_t end = start;
  if (ReadColonGroups(text, start, groups, &end) != groups.size()) {
    return false;
  }
  std::uint64_t value = 0;
  for (const unsigned byte : groups) value = value << 8 | byte;
  *address = value;
  *length = end - start;
  return true;
}

// Whether " HH" (a seventh pair) follows at position at.
bool PairFollows(std::string_view text, std::size_t at) {
  return at + 2 < text.size() && text[at] == ' ' && IsHex(text[at + 1]) &&
         IsHex(text[at + 2]);
}

// A byte that no MAC holds and that joins no words: text up to it is
// decided whatever follows. Blanks join the pairs after "Hex-STRING:", and
// x the 0x of a bare MAC, a backslash or a percent sign an escaped colon.
bool IsHardByte(char c) {
  return !IsHex(c) && c != '-' && c != ':' && c != '.' && c != ' ' &&
         c != 'x' && c != 'X' && c != '\\' && c != '%';
}

}  // namespace venmark::shapes

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// MAC text and its 48 bits: the one place hex digits turn into numbers and
// back.
namespace venmark::mac {

// The value of hex digit c of either case, or -1 for any other byte.
constexpr int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The value of c, already known to be a hex digit: no branch on its case.
constexpr int KnownHexValue(char c) {
  return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

// The value of s, hex digits of either case only (at most 16); nothing for
// an empty s or any other byte.
std::optional<std::uint64_t> ParseHex(std::string_view s);

// The top `digits` nibbles of the 48-bit address, upper case, with
// separator between groups of `group` digits (none when separator is 0).
std::string Hex(std::uint64_t address, int digits, char separator = 0,
                int group = 2);

// The MA-L listing's key of address: "00-1A-2B".
std::string OuiKey(std::uint64_t address);

// address as lower-case colon pairs: "00:1a:2b:3c:4d:5e".
std::string ColonPairs(std::uint64_t address);

}  // namespace venmark::mac

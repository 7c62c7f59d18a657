#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// MAC text and its 48 bits: the one place hex digits turn into numbers and
// back.
namespace venmark::mac {

// Each byte's value as a hex digit of either case, -1 for the others: a
// look-up, as the digits of MACs in a text fall by chance on either side
// of every comparison a branch could make.
inline constexpr std::array<signed char, 256> kHexValues = [] {
  std::array<signed char, 256> values{};
  for (int c = 0; c < 256; ++c) {
    values[static_cast<std::size_t>(c)] =
        static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                 : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                 : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                        : -1);
  }
  return values;
}();

// The value of hex digit c of either case, or -1 for any other byte.
constexpr int HexValue(char c) {
  return kHexValues[static_cast<unsigned char>(c)];
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

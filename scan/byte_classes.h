#pragma once

#include <array>
#include <cstdint>

// What each byte is to the scanner, a bit a class: the one table that both
// the vector passes and the checks around a MAC read.
namespace venmark::byte_classes {

// In the order of the planes of passes::ByteClasses.
enum : std::uint16_t {
  kHex = 1,       // 0-9, a-f, A-F
  kAlnum = 2,     // ASCII letters and digits
  kColon = 4,     // :
  kDash = 8,      // -
  kDot = 16,      // .
  kX = 32,        // x or X
  kG = 64,        // G (of "Hex-STRING")
  kEscape = 128,  // \ or %, which may escape a colon
  kSpace = 256,   // a blank
};
// How many classes there are.
inline constexpr unsigned kCount = 9;

inline constexpr std::array<std::uint16_t, 256> kOf = [] {
  std::array<std::uint16_t, 256> bits{};
  for (int c = 0; c < 256; ++c) {
    const bool digit = c >= '0' && c <= '9';
    const int lower = c | 0x20;
    const bool letter = lower >= 'a' && lower <= 'z';
    bits[static_cast<std::size_t>(c)] = static_cast<std::uint16_t>(
        ((digit || (lower >= 'a' && lower <= 'f')) ? kHex : 0) |
        ((digit || letter) ? kAlnum : 0) | (c == ':' ? kColon : 0) |
        (c == '-' ? kDash : 0) | (c == '.' ? kDot : 0) |
        (lower == 'x' ? kX : 0) | (c == 'G' ? kG : 0) |
        ((c == '\\' || c == '%') ? kEscape : 0) | (c == ' ' ? kSpace : 0));
  }
  return bits;
}();

}  // namespace venmark::byte_classes

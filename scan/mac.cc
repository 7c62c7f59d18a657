#include "scan/mac.h"

#include "scan/mac_shapes.h"

namespace venmark::mac {

std::optional<std::uint64_t> ParseHex(std::string_view s) {
  if (s.empty() || s.size() > 16) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : s) {
    const int digit = HexValue(c);
    if (digit < 0) return std::nullopt;
    value = (value << 4) | static_cast<std::uint64_t>(digit);
  }
  return value;
}

std::string Hex(std::uint64_t address, int digits, char separator, int group) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(static_cast<std::size_t>(digits * 3 / 2));
  for (int i = 0; i < digits; ++i) {
    if (separator != 0 && i > 0 && i % group == 0) text += separator;
    text += kDigits[(address >> (44 - 4 * i)) & 0xF];
  }
  return text;
}

std::string OuiKey(std::uint64_t address) { return Hex(address, 6, '-'); }

std::string ColonPairs(std::uint64_t address) {
  std::string text = Hex(address, 12, ':');
  for (char& c : text) c = shapes::Lower(c);
  return text;
}

}  // namespace venmark::mac

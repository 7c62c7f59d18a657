#include "bench/sample_text.h"

#include <cstdio>
#include <random>

namespace venmark {

std::string MakeSampleText(std::size_t mac_count, unsigned seed) {
  // Prefixes of well-known vendors, so most lines find a name, and a few
  // that the listing does not hold.
  static constexpr unsigned kPrefixes[] = {0x00000C, 0x005056, 0x000C29,
                                           0x525400, 0x00155D, 0xF4CE46,
                                           0x3C5AB4, 0x001A2B, 0xFEFEFE};
  std::mt19937 rng(seed);
  std::uniform_int_distribution<unsigned> byte(0, 255);
  std::uniform_int_distribution<std::size_t> prefix(0,
                                                    std::size(kPrefixes) - 1);
  std::string text;
  text.reserve(mac_count * 52);
  char line[128];
  for (std::size_t i = 0; i < mac_count; ++i) {
    const unsigned oui = kPrefixes[prefix(rng)];
    const unsigned a = oui >> 16, b = (oui >> 8) & 0xFF, c = oui & 0xFF;
    const unsigned d = byte(rng), e = byte(rng), f = byte(rng);
    int n = 0;
    switch (i % 3) {
      case 0:
        n = std::snprintf(
            line, sizeof line,
            "   Физический адрес. . : %02X-%02X-%02X-%02X-%02X-%02X\r\n", a, b,
            c, d, e, f);
        break;
      case 1:
        n = std::snprintf(line, sizeof line,
                          "    link/ether %02x:%02x:%02x:%02x:%02x:%02x brd\n",
                          a, b, c, d, e, f);
        break;
      default:
        n = std::snprintf(
            line, sizeof line,
            " %4zu    %02x%02x.%02x%02x.%02x%02x    DYNAMIC     Gi1/0/%zu\n",
            i % 4000, a, b, c, d, e, f, i % 48 + 1);
        break;
    }
    text.append(line, static_cast<std::size_t>(n));
  }
  return text;
}

}  // namespace venmark

#include "scan/mac.h"

#include <gtest/gtest.h>

#include "scan/mac_scanner.h"
#include "scan/special_address.h"

namespace venmark::mac {
namespace {

TEST(MacTextTest, DigitsAndValuesRoundTrip) {
  for (int c = 0; c < 256; ++c) {
    const char ch = static_cast<char>(c);
    const bool hex = (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') ||
                     (ch >= 'A' && ch <= 'F');
    EXPECT_EQ(HexValue(ch) >= 0, hex) << c;
    if (hex) {
      EXPECT_EQ(KnownHexValue(ch), HexValue(ch)) << c;
    }
  }
  struct Case {
    std::string_view text;
    std::optional<std::uint64_t> value;
  } const cases[] = {
      {"0", 0},
      {"fF", 0xFF},
      {"001A2b", 0x001A2B},
      {"", {}},
      {"0g", {}},
      {"-1", {}},
      {"ffffffffffffffff", ~std::uint64_t{0}},
      {"10000000000000000", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseHex(c.text), c.value) << c.text;

  const std::uint64_t address = 0x001A2B3C4D5E;
  EXPECT_EQ(OuiKey(address), "00-1A-2B");
  EXPECT_EQ(ColonPairs(address), "00:1a:2b:3c:4d:5e");
  EXPECT_EQ(ColonPairs(0xFFFFFFFFFFFF), "ff:ff:ff:ff:ff:ff");
  EXPECT_EQ(Hex(0x70B3D5F2F000, 9), "70B3D5F2F");
  EXPECT_EQ(Hex(address, 12, '.', 4), "001A.2B3C.4D5E");
}

// Each kind of special address, at its edges.
TEST(MacTest, ClassifiesSpecialAddresses) {
  const struct {
    const char* mac;
    SpecialAddress kind;
  } cases[] = {
      {"ff:ff:ff:ff:ff:ff", SpecialAddress::kBroadcast},
      {"01:00:5e:7f:ff:ff", SpecialAddress::kIpv4Multicast},
      {"01:00:5e:80:00:00", SpecialAddress::kMulticast},
      {"33:33:00:00:00:01", SpecialAddress::kIpv6Multicast},
      {"33:34:00:00:00:01", SpecialAddress::kMulticast},
      {"01:80:c2:00:00:0e", SpecialAddress::kMulticast},
      {"ff:ff:ff:ff:ff:fe", SpecialAddress::kMulticast},
      {"ba:12:34:56:78:9a", SpecialAddress::kLocal},
      {"02:00:00:00:00:00", SpecialAddress::kLocal},
      {"00:1a:2c:00:00:01", SpecialAddress::kNone},
      {"00:00:00:00:00:00", SpecialAddress::kNull},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyAddress(FindMacs(c.mac).at(0).address), c.kind) << c.mac;
  }
}

}  // namespace
}  // namespace venmark::mac

#include "scan/special_address.h"

namespace venmark {

SpecialAddress ClassifyAddress(std::uint64_t address) {
  const auto first = static_cast<unsigned>(address >> 40);
  if (address == 0) return SpecialAddress::kNull;
  if (address == 0xFFFFFFFFFFFF) return SpecialAddress::kBroadcast;
  // 01-00-5E-00-00-00 to 01-00-5E-7F-FF-FF (RFC 1112).
  if ((address >> 23) == (0x01005EULL << 1)) {
    return SpecialAddress::kIpv4Multicast;
  }
  if ((address >> 32) == 0x3333) return SpecialAddress::kIpv6Multicast;
  if (first & 0x01) return SpecialAddress::kMulticast;
  if (first & 0x02) return SpecialAddress::kLocal;
  return SpecialAddress::kNone;
}

}  // namespace venmark

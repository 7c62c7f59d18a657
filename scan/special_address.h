#pragma once

#include <cstdint>

namespace venmark {

// The special kinds of address a listing never names.
enum class SpecialAddress {
  kNone,           // an ordinary address
  kNull,           // 00:00:00:00:00:00
  kBroadcast,      // ff:ff:ff:ff:ff:ff
  kIpv4Multicast,  // 01:00:5e:00:00:00 to 01:00:5e:7f:ff:ff
  kIpv6Multicast,  // 33:33:…
  kMulticast,      // any other group address
  kLocal,          // locally administered
};

// What kind of special address the 48 bits of a MAC are.
SpecialAddress ClassifyAddress(std::uint64_t address);

}  // namespace venmark

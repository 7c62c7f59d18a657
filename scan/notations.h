#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

// The one table of the ways MACs are written: the scanner reads by it, and
// the help, the manual and the README are checked against it.
namespace venmark {

// The ways MAC addresses are written, alone or inside another identifier.
enum class Notation {
  kDash,           // 00-1a-2b-3c-4d-5e (Windows)
  kColon,          // 00:1a:2b:3c:4d:5e (Unix-like systems)
  kDot,            // 001a.2b3c.4d5e (Cisco)
  kDashQuad,       // 001a-2b3c-4d5e (Huawei, H3C, HPE Comware)
  kColonShort,     // 0:1d:aa:8f:23:ed (macOS, AIX, Solaris, net-snmp)
  kSixSix,         // 001e49-7a33c1 (HPE ProCurve, Aruba AOS-S)
  kBare,           // 001A2B3C4D5E or 0x001A2B3C4D5E, under a MAC label
  kHexString,      // 00 1A 2B 3C 4D 5E after "Hex-STRING:" (net-snmp)
  kClientId,       // 0100.1a2b.3c4d.5e (Cisco DHCP client identifier)
  kEscapedColon,   // 3C\:52\:82\:1A\:2B\:3C (nmcli -t)
  kPercentColon,   // F8%3AE4%3AE3%3AA1%3AB2%3AC3 (a URL's query)
  kLabelPairs,     // 44 19 b6 3a 7c 01 under a MAC label
  kClientIdPairs,  // 01:90:61:ae:3d:5c:1f (ISC, dnsmasq, Windows DHCP)
  kClientIdBare,   // 019061ae3d5c1f under a client-id label
  kDuid,           // 00-01-00-01-2B-8C-1D-4E-90-61-AE-3D-5C-1F (DHCPv6)
  kDuidBare,       // 000100012B8C1D4E9061AE3D5C1F under a DUID label
  kIpv6,           // fe80::21d:aaff:fe61:83c (modified EUI-64)
  kDuidShort,      // 0:1:0:1:2b:8c:1d:4e:90:61:ae:3d:5c:1f (NetworkManager)
  kRoutePrint,     // 12...00 50 56 b9 c5 4b (route print's interfaces)
};

// Where a finding's MAC comes from: the text is the MAC, or an identifier
// that holds it.
enum class Source { kWritten, kIpv6, kDuid, kClientId };

// What the kind of label before a bare word must name.
enum class LabelKind { kMac, kDuid, kClientId };

// What must stand before a notation's text for it to count.
// kDotLeader: an interface's number and "..." right before, as Windows
// `route print` lists interfaces.
enum class Need {
  kNothing,
  kMacLabel,
  kDuidLabel,
  kClientIdLabel,
  kTag,
  kDotLeader
};

// How a notation's text is read.
enum class Reading {
  kGroups,      // fixed groups of hex digits and a fixed separator
  kShortColon,  // six colon groups of one or two digits
  kIpv6,        // an IPv6 address; its identifier holds ff:fe
  kShortDuid,   // a DUID-LLT or DUID-LL in colon groups of one or two digits
};

// One notation: its shape, what it needs, and how it is shown.
struct NotationRow {
  Notation notation;
  Reading reading;
  std::string_view prefix;     // text before the digits, any case ("0x")
  std::string_view lead;       // hex digits the digits start with ("01")
  std::uint8_t skip;           // digits after the lead before the MAC's
  std::uint8_t digits;         // hex digits in all
  std::uint8_t width;          // digits a group; the last may hold fewer
  std::string_view separator;  // between groups, any case; "" for one word
  Need need;
  Source source;
  std::string_view example;      // as real output writes it
  std::string_view description;  // what it is and who writes it
  // Worked out from the above once, when the table is made: the bytes of
  // a text in the notation (prefix, digits, separators), and of its first
  // word of letters and digits, where it can start.
  std::size_t text_length =
      prefix.size() + digits +
      ((digits + width - 1) / width - 1) * separator.size();
  std::size_t first_word_length =
      prefix.size() + (width < digits ? width : digits);
};

// Every notation, in the order they are tried at one place.
std::span<const NotationRow> Notations();

// The row for the pairs after "Hex-STRING:".
const NotationRow& HexStringRow();

// The label kind a need asks for; needs that take no label give kMac.
LabelKind LabelOf(Need need);

// Whether text at `at` holds row's shape (kGroups); its MAC into *address.
// Says nothing of what stands around it.
bool ReadGroups(const NotationRow& row, std::string_view text, std::size_t at,
                std::uint64_t* address);

// Whether a DUID-LLT (14 groups, 0:1:0:1 first) or DUID-LL (10 groups,
// 0:3:0:1 first) over Ethernet in colon groups of one or two digits starts
// at `at` of text, whole: its MAC into *address, its length into *length.
bool ReadShortDuid(std::string_view text, std::size_t at,
                   std::uint64_t* address, std::size_t* length);

// Whether an interface's number and its dot leader ("12...") stand right
// before `at` of text, as Windows `route print` lists interfaces.
bool DotLeaderBefore(std::string_view text, std::size_t at);

// Whether an IPv6 address starts at `at` of text, whole, with a modified
// EUI-64 interface identifier: its MAC into *address, its length into
// *length. A run that goes on in hex digits, colons or an IPv4 tail is no
// such address, nor is one that a letter, digit or colon precedes.
bool ReadEui64Address(std::string_view text, std::size_t at,
                      std::uint64_t* address, std::size_t* length);

}  // namespace venmark

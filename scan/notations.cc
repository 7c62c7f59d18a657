#include "scan/notations.h"

#include <algorithm>
#include <array>

#include "scan/mac.h"
#include "scan/mac_shapes.h"

namespace venmark {

using shapes::HasAt;
using shapes::IsAlnum;
using shapes::IsHex;

namespace {

using enum Notation;
using R = Reading;
using N = Need;
using S = Source;

// Descriptions shared by the rows of one notation's variants.
constexpr std::string_view kClientIdPairsText =
    "a DHCP client identifier of type 1: `01` and the MAC, in colon or dash "
    "pairs (ISC, dnsmasq, Kea, Windows DHCP)";
constexpr std::string_view kDuidPairsText =
    "a DHCPv6 DUID-LL or DUID-LLT over Ethernet, in colon or dash pairs "
    "(`ipconfig /all`, Kea, ISC, `networkctl`)";
constexpr std::string_view kBareText =
    "twelve digits, or `0x` and twelve, under a MAC label on the line or a "
    "MAC heading over the column or CSV field";
constexpr std::string_view kBareDuidText =
    "a DUID-LL or DUID-LLT in bare digits under a DUID label";

// At one place the rows are tried in this order. A MAC of six pairs comes
// before the longer identifiers its pairs may start (a client identifier, a
// DUID), which only its whole-MAC rule lets through.
constexpr std::array kRows = {
    NotationRow{kColon, R::kGroups, "", "", 0, 12, 2, ":", N::kNothing,
                S::kWritten, "00:1a:2b:3c:4d:5e",
                "six colon-separated pairs (Unix-like systems)"},
    NotationRow{kDash, R::kGroups, "", "", 0, 12, 2, "-", N::kNothing,
                S::kWritten, "00-1a-2b-3c-4d-5e",
                "six dash-separated pairs (Windows)"},
    NotationRow{kEscapedColon, R::kGroups, "", "", 0, 12, 2, "\\:", N::kNothing,
                S::kWritten, "3C\\:52\\:82\\:1A\\:2B\\:3C",
                "six pairs with escaped colons (`nmcli -t`)"},
    NotationRow{kPercentColon, R::kGroups, "", "", 0, 12, 2, "%3a", N::kNothing,
                S::kWritten, "F8%3AE4%3AE3%3AA1%3AB2%3AC3",
                "six pairs with URL-encoded colons (captive portals, "
                "controller URLs)"},
    NotationRow{kClientIdPairs, R::kGroups, "", "01", 0, 14, 2, ":",
                N::kNothing, S::kClientId, "01:90:61:ae:3d:5c:1f",
                kClientIdPairsText},
    NotationRow{kClientIdPairs, R::kGroups, "", "01", 0, 14, 2, "-",
                N::kNothing, S::kClientId, "01-90-61-ae-3d-5c-1f",
                kClientIdPairsText},
    NotationRow{kDuid, R::kGroups, "", "00030001", 0, 20, 2, ":", N::kNothing,
                S::kDuid, "00:03:00:01:90:61:ae:3d:5c:1f", kDuidPairsText},
    NotationRow{kDuid, R::kGroups, "", "00030001", 0, 20, 2, "-", N::kNothing,
                S::kDuid, "00-03-00-01-90-61-AE-3D-5C-1F", kDuidPairsText},
    NotationRow{kDuid, R::kGroups, "", "00010001", 8, 28, 2, ":", N::kNothing,
                S::kDuid, "00:01:00:01:2b:8c:1d:4e:90:61:ae:3d:5c:1f",
                kDuidPairsText},
    NotationRow{kDuid, R::kGroups, "", "00010001", 8, 28, 2, "-", N::kNothing,
                S::kDuid, "00-01-00-01-2B-8C-1D-4E-90-61-AE-3D-5C-1F",
                kDuidPairsText},
    NotationRow{kColonShort, R::kShortColon, "", "", 0, 12, 2, ":", N::kNothing,
                S::kWritten, "0:1d:aa:8f:23:ed",
                "colon groups of one or two digits (macOS `arp -a`, AIX, "
                "Solaris, net-snmp, `dhcpd.conf`)"},
    NotationRow{kDuidShort, R::kShortDuid, "", "", 0, 28, 2, ":", N::kNothing,
                S::kDuid, "0:1:0:1:2b:8c:1d:4e:90:61:ae:3d:5c:1f",
                "a DHCPv6 DUID-LLT or DUID-LL in colon groups of one or two "
                "digits (NetworkManager, `dhclient` leases)"},
    NotationRow{kIpv6, R::kIpv6, "", "", 0, 32, 4, ":", N::kNothing, S::kIpv6,
                "fe80::21d:aaff:fe61:83c",
                "an IPv6 address whose interface identifier is the MAC's "
                "modified EUI-64 (`ip -6 neigh`, `netsh`, DHCPv6 leases)"},
    NotationRow{kDot, R::kGroups, "", "", 0, 12, 4, ".", N::kNothing,
                S::kWritten, "001a.2b3c.4d5e",
                "three dot-separated groups of four (Cisco)"},
    NotationRow{kDashQuad, R::kGroups, "", "", 0, 12, 4, "-", N::kNothing,
                S::kWritten, "001a-2b3c-4d5e",
                "three dash-separated groups of four (Huawei, H3C, HPE "
                "Comware)"},
    NotationRow{kClientId, R::kGroups, "", "01", 0, 14, 4, ".", N::kNothing,
                S::kWritten, "0100.1a2b.3c4d.5e",
                "a Cisco DHCP client identifier: `01` and the MAC"},
    NotationRow{kSixSix, R::kGroups, "", "", 0, 12, 6, "-", N::kNothing,
                S::kWritten, "001e49-7a33c1",
                "two dash-separated groups of six (HPE ProCurve, Aruba "
                "AOS-S)"},
    NotationRow{kBare, R::kGroups, "", "", 0, 12, 12, "", N::kMacLabel,
                S::kWritten, "001A2B3C4D5E", kBareText},
    NotationRow{kBare, R::kGroups, "0x", "", 0, 12, 12, "", N::kMacLabel,
                S::kWritten, "0x001A2B3C4D5E", kBareText},
    NotationRow{kLabelPairs, R::kGroups, "", "", 0, 12, 2, " ", N::kMacLabel,
                S::kWritten, "44 19 b6 3a 7c 01",
                "six space-separated pairs under a MAC label"},
    NotationRow{kRoutePrint, R::kGroups, "", "", 0, 12, 2, " ", N::kDotLeader,
                S::kWritten, "12...00 50 56 b9 c5 4b",
                "six space-separated pairs after an interface's number and "
                "dot leader (Windows `route print`)"},
    NotationRow{kClientIdBare, R::kGroups, "", "01", 0, 14, 14, "",
                N::kClientIdLabel, S::kClientId, "019061ae3d5c1f",
                "`01` and twelve digits under a client-identifier label"},
    NotationRow{kDuidBare, R::kGroups, "", "00030001", 0, 20, 20, "",
                N::kDuidLabel, S::kDuid, "000300019061ae3d5c1f", kBareDuidText},
    NotationRow{kDuidBare, R::kGroups, "", "00010001", 8, 28, 28, "",
                N::kDuidLabel, S::kDuid, "000100012B8C1D4E9061AE3D5C1F",
                kBareDuidText},
    NotationRow{kHexString, R::kGroups, "", "", 0, 12, 2, " ", N::kTag,
                S::kWritten, "Hex-STRING: 00 1A 2B 3C 4D 5E",
                "six pairs after `Hex-STRING:` (net-snmp `snmpwalk`)"},
};

}  // namespace

std::span<const NotationRow> Notations() { return kRows; }

const NotationRow& HexStringRow() {
  // Found by its notation, wherever the table puts it.
  static const NotationRow& row = *std::find_if(
      kRows.begin(), kRows.end(),
      [](const NotationRow& r) { return r.notation == kHexString; });
  return row;
}

LabelKind LabelOf(Need need) {
  switch (need) {
    case Need::kDuidLabel:
      return LabelKind::kDuid;
    case Need::kClientIdLabel:
      return LabelKind::kClientId;
    default:
      return LabelKind::kMac;
  }
}

bool ReadGroups(const NotationRow& row, std::string_view text, std::size_t at,
                std::uint64_t* address) {
  // Every byte the prefix, groups and separators take is there.
  if (at > text.size() || text.size() - at < row.text_length) return false;
  if (row.prefix.empty() && row.lead.empty() && row.skip == 0 &&
      row.separator.size() <= 1 && row.digits % row.width == 0) {
    // The plain notations, nearly every MAC of a text: groups joined by
    // one byte or none, read without the bookkeeping below.
    const char* digit = text.data() + at;
    const char separator = row.separator.empty() ? '\0' : row.separator[0];
    std::uint64_t value = 0;
    for (std::size_t group = 0; group < row.digits / row.width; ++group) {
      if (group > 0 && separator != '\0' && *digit++ != separator) {
        return false;
      }
      for (std::size_t i = 0; i < row.width; ++i) {
        const int nibble = mac::HexValue(*digit++);
        if (nibble < 0) return false;
        value = value << 4 | static_cast<unsigned>(nibble);
      }
    }
    *address = value;
    return true;
  }
  if (!HasAt(text, at, row.prefix)) return false;
  std::size_t i = at + row.prefix.size();
  const std::size_t lead = row.lead.size();
  const std::size_t mac_from = lead + row.skip;
  std::uint64_t value = 0;
  std::size_t digit = 0;
  for (std::size_t in_group = 0; digit < row.digits; ++digit, ++in_group) {
    if (in_group == row.width) {
      if (!HasAt(text, i, row.separator)) return false;
      i += row.separator.size();
      in_group = 0;
    }
    const int nibble = mac::HexValue(text[i++]);
    if (nibble < 0) return false;
    if (digit < lead) {
      if (nibble != mac::HexValue(row.lead[digit])) return false;
    } else if (digit >= mac_from) {
      value = value << 4 | static_cast<unsigned>(nibble);
    }
  }
  *address = value;
  return true;
}

bool ReadShortDuid(std::string_view text, std::size_t at,
                   std::uint64_t* address, std::size_t* length) {
  if (at > 0 && (IsAlnum(text[at - 1]) || text[at - 1] == ':')) return false;
  // One group more than a DUID-LLT has: a longer run is no DUID.
  std::array<unsigned, 15> groups{};
  std::size_t i = at;
  const std::size_t count = shapes::ReadColonGroups(text, at, groups, &i);
  // Nothing that goes on the run: a letter, a digit, another colon group.
  if (i < text.size() && IsAlnum(text[i])) return false;
  // Type 1 (time and link-layer address) or 3 (link-layer address), over
  // Ethernet (hardware type 1); the MAC is the last six groups.
  const bool llt = count == 14 && groups[1] == 1;
  const bool ll = count == 10 && groups[1] == 3;
  if ((!llt && !ll) || groups[0] != 0 || groups[2] != 0 || groups[3] != 1) {
    return false;
  }
  std::uint64_t value = 0;
  for (std::size_t g = count - 6; g < count; ++g)
    value = value << 8 | groups[g];
  *address = value;
  *length = i - at;
  return true;
}

bool DotLeaderBefore(std::string_view text, std::size_t at) {
  if (at < 4 || text.substr(at - 3, 3) != "...") return false;
  std::size_t digits = at - 3;
  while (digits > 0 && at - 3 - digits < 3 && text[digits - 1] >= '0' &&
         text[digits - 1] <= '9') {
    --digits;
  }
  if (digits == at - 3) return false;
  return digits == 0 || (!IsAlnum(text[digits - 1]) && text[digits - 1] != '.');
}

bool ReadEui64Address(std::string_view text, std::size_t at,
                      std::uint64_t* address, std::size_t* length) {
  if (at > 0 && (IsAlnum(text[at - 1]) || text[at - 1] == ':')) return false;
  std::array<unsigned, 8> groups{};
  std::size_t count = 0;
  std::size_t gap = groups.size();  // the group "::" stands before
  std::size_t i = at;
  for (;;) {
    unsigned value = 0;
    std::size_t digits = 0;
    while (i < text.size() && IsHex(text[i]) && digits < 5) {
      value = value << 4 | static_cast<unsigned>(mac::KnownHexValue(text[i]));
      ++digits;
      ++i;
    }
    if (digits == 0 || digits > 4 || count == groups.size()) return false;
    groups[count++] = value;
    if (i + 1 >= text.size() || text[i] != ':') break;
    if (text[i + 1] == ':') {
      if (gap != groups.size()) return false;  // a second "::"
      gap = count;
      i += 2;
      if (i >= text.size() || !IsHex(text[i])) break;
    } else if (IsHex(text[i + 1])) {
      ++i;
    } else {
      break;
    }
  }
  const bool compressed = gap != groups.size();
  if (compressed ? count >= groups.size() : count != groups.size()) {
    return false;
  }
  // What follows must end the address: no letter or digit, no IPv4 tail.
  if (i < text.size()) {
    const char after = text[i];
    const char next = i + 1 < text.size() ? text[i + 1] : ' ';
    if (IsAlnum(after) || (after == '.' && IsAlnum(next)) ||
        (after == ':' && (IsHex(next) || next == ':'))) {
      return false;
    }
  }
  // Spread the groups after "::" to the end.
  std::array<unsigned, 8> full{};
  const std::size_t tail = compressed ? count - gap : 0;
  for (std::size_t g = 0; g < count - tail; ++g) full[g] = groups[g];
  for (std::size_t g = 0; g < tail; ++g) {
    full[full.size() - tail + g] = groups[count - tail + g];
  }
  // The identifier is the MAC with ff:fe in its middle and the
  // universal/local bit turned.
  if ((full[5] & 0xFF) != 0xFF || (full[6] >> 8) != 0xFE) return false;
  *address = std::uint64_t{full[4] ^ 0x0200u} << 32 |
             std::uint64_t{full[5] >> 8} << 24 |
             std::uint64_t{full[6] & 0xFFu} << 16 | full[7];
  *length = i - at;
  return true;
}

}  // namespace venmark

#include "listings/result_lines.h"

#include <algorithm>
#include <cstdio>

#include "scan/mac.h"

namespace venmark {
namespace {

// JSON's derived_from for each Source: what the MAC was found inside.
constexpr std::string_view kSourceNames[] = {"", "ipv6", "duid", "client-id"};

// A C0 control or DEL.
bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// A field of a text or TSV line as a terminal may show it: every control
// character (C0, DEL and the C1 range, U+0080 to U+009F, in UTF-8) becomes
// "?", so no escape sequence from a listing reaches the terminal and no
// tab or line break splits a row.
void AppendVisible(std::string_view field, std::string* out) {
  // Names are nearly always clean: those are appended whole, the rest
  // byte by byte from the first suspect byte on.
  // (0xC2 leads the C1 range in UTF-8.)
  const auto suspect = std::find_if(field.begin(), field.end(), [](char c) {
    return IsControl(c) || static_cast<unsigned char>(c) == 0xC2;
  });
  const auto clean = static_cast<std::size_t>(suspect - field.begin());
  out->append(field.substr(0, clean));
  for (std::size_t i = clean; i < field.size(); ++i) {
    const auto c = static_cast<unsigned char>(field[i]);
    if (IsControl(field[i])) {
      out->push_back('?');
    } else if (c == 0xC2 && i + 1 < field.size() &&
               static_cast<unsigned char>(field[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(field[i + 1]) <= 0x9F) {
      out->push_back('?');
      ++i;
    } else {
      out->push_back(field[i]);
    }
  }
}

void AppendJsonString(std::string_view text, std::string* out) {
  out->push_back('"');
  for (const char c : text) {
    switch (c) {
      case '"':
        out->append("\\\"");
        break;
      case '\\':
        out->append("\\\\");
        break;
      case '\n':
        out->append("\\n");
        break;
      case '\r':
        out->append("\\r");
        break;
      case '\t':
        out->append("\\t");
        break;
      default:
        // Every C0 control and DEL escaped: a JSON line read on a terminal
        // moves no cursor.
        if (IsControl(c)) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x",
                        static_cast<unsigned>(c));
          out->append(escaped);
        } else {
          out->push_back(c);
        }
    }
  }
  out->push_back('"');
}

}  // namespace

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

void AppendRow(const ResultRow& row, const ResultStyle& style,
               std::string* out) {
  const auto source = static_cast<std::size_t>(row.source);
  // Plain text names the MAC only where the text as written is not one.
  const std::string address =
      style.format != ResultFormat::kText || row.source != Source::kWritten
          ? mac::ColonPairs(row.address)
          : std::string();
  switch (style.format) {
    case ResultFormat::kText:
      out->append(row.mac);
      if (!row.range.empty()) {
        // The administrator's range is more specific than any listing's.
        out->append(" - ");
        AppendVisible(row.range, out);
        out->append(" (").append(style.words->user_range).append(")");
      } else if (row.found) {
        out->append(" - ");
        AppendVisible(row.vendor, out);
        if (!row.note.empty()) out->append(" (").append(row.note).append(")");
      } else {
        out->append(style.words->vendor_not_found);
        if (!row.note.empty()) out->append(" (").append(row.note).append(")");
      }
      if (!row.device.empty()) {
        out->append(" [");
        AppendVisible(row.device, out);
        out->push_back(']');
      }
      if (row.source != Source::kWritten) {
        out->append(" (").append(style.words->derived_mac).append(" ");
        out->append(address).append(" ");
        out->append(style.words->derived_from[source]).append(")");
      }
      break;
    case ResultFormat::kTsv:
      for (const std::string_view field :
           {row.mac, row.assignment, row.vendor, row.note}) {
        AppendVisible(field, out);
        out->push_back('\t');
      }
      out->append(address).push_back('\t');
      out->append(std::to_string(row.line)).push_back('\t');
      AppendVisible(row.device.empty() ? row.range : row.device, out);
      break;
    case ResultFormat::kJson:
      out->append("{\"mac\":");
      AppendJsonString(row.mac, out);
      out->append(",\"assignment\":");
      AppendJsonString(row.assignment, out);
      out->append(",\"vendor\":");
      AppendJsonString(row.vendor, out);
      out->append(",\"note\":");
      AppendJsonString(row.note, out);
      out->append(",\"address\":\"").append(address);
      out->append("\",\"line\":").append(std::to_string(row.line));
      out->append(",\"name\":");
      AppendJsonString(row.device.empty() ? row.range : row.device, out);
      if (row.source != Source::kWritten) {
        out->append(",\"derived_from\":\"");
        out->append(kSourceNames[source]).push_back('"');
      }
      out->push_back('}');
      break;
  }
  out->append(style.eol);
}

void SearchMacBase(const ListingSet& listings, const MacFinding& finding,
                   const ResultStyle& style, std::string* results,
                   Assignment* scratch) {
  // The null address (an incomplete ARP entry, a loopback) belongs to no
  // one, whatever the listing says of 00-00-00.
  if (finding.address == 0) {
    scratch->names.clear();
    scratch->digits.clear();
  } else {
    listings.Resolve(finding, scratch);
  }
  ResultRow row;
  row.mac = finding.candidate_mac;
  row.address = finding.address;
  row.source = finding.source;
  row.line = finding.line;
  row.assignment = scratch->digits;
  // The administrator's names: a device's own, and a range of theirs that
  // is more specific than the listings' assignment answers for it.
  const UserNames& names = listings.names();
  const std::optional<std::string_view> device = names.Device(finding.address);
  const NamedRange* range = names.Range(finding.address);
  if (device) row.device = *device;
  if (range != nullptr &&
      (scratch->names.empty() ||
       range->bits > 4 * static_cast<int>(scratch->digits.size()))) {
    row.range = range->name;
  }
  if (!row.range.empty()) {
    row.found = !scratch->names.empty();
    if (row.found) {
      row.vendor = scratch->names.front();
    } else {
      row.note = style.words->special[static_cast<std::size_t>(
          ClassifyAddress(finding.address))];
    }
    AppendRow(row, style, results);
    return;
  }
  row.found = true;
  // The same prefix in a local address is a company's CID, not its OUI.
  if (!scratch->names.empty() && scratch->kind == ListingKind::kCid) {
    row.note = style.words->local_cid;
  }
  for (const std::string_view name : scratch->names) {
    row.vendor = name;
    AppendRow(row, style, results);
  }
  if (scratch->names.empty()) {
    row.found = false;
    row.note = style.words->special[static_cast<std::size_t>(
        ClassifyAddress(finding.address))];
    AppendRow(row, style, results);
  }
}

std::string SearchText(std::string_view text, const ListingSet& listings,
                       const ResultStyle& style) {
  std::string results;
  Assignment scratch;
  MacScanner scanner(text);
  if (style.format != ResultFormat::kText) scanner.CountLines(1);
  while (const std::optional<MacFinding> finding = scanner.Next()) {
    SearchMacBase(listings, *finding, style, &results, &scratch);
  }
  return results;
}

}  // namespace venmark

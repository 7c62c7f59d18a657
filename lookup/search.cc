#include "lookup/search.h"

#include <cstdio>

namespace venmark {
namespace {

// A TSV field: tabs and line breaks would split the row.
void AppendTsvField(std::string_view field, std::string* out) {
  for (const char c : field) {
    out->push_back(c == '\t' || c == '\r' || c == '\n' ? ' ' : c);
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
        if (static_cast<unsigned char>(c) < 0x20) {
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

std::string_view SpecialAddressNote(std::uint64_t address) {
  const auto first = static_cast<unsigned>(address >> 40);
  if (address == 0xFFFFFFFFFFFF) return "широковещательный адрес";
  // 01-00-5E-00-00-00 to 01-00-5E-7F-FF-FF (RFC 1112).
  if ((address >> 23) == (0x01005EULL << 1)) return "групповой адрес IPv4";
  if ((address >> 32) == 0x3333) return "групповой адрес IPv6";
  if (first & 0x01) return "групповой адрес";
  if (first & 0x02) return "локально администрируемый адрес";
  return {};
}

void AppendRow(const ResultRow& row, ResultFormat format, std::string_view eol,
               std::string* out) {
  switch (format) {
    case ResultFormat::kText:
      out->append(row.mac);
      if (row.found) {
        out->append(" - ").append(row.vendor);
      } else {
        out->append(kVendorNotFound);
        if (!row.note.empty()) out->append(" (").append(row.note).append(")");
      }
      break;
    case ResultFormat::kTsv:
      for (const std::string_view field :
           {row.mac, row.assignment, row.vendor}) {
        AppendTsvField(field, out);
        out->push_back('\t');
      }
      AppendTsvField(row.note, out);
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
      out->push_back('}');
      break;
  }
  out->append(eol);
}

void SearchMacBase(const ListingSet& listings, const MacFinding& finding,
                   ResultFormat format, std::string_view eol,
                   std::string* results, Assignment* scratch) {
  listings.Resolve(finding, scratch);
  ResultRow row;
  row.mac = finding.candidate_mac;
  row.assignment = scratch->digits;
  row.found = true;
  for (const std::string_view name : scratch->names) {
    row.vendor = name;
    AppendRow(row, format, eol, results);
  }
  if (scratch->names.empty()) {
    row.found = false;
    row.note = SpecialAddressNote(finding.address);
    AppendRow(row, format, eol, results);
  }
}

std::string SearchText(std::string_view text, const ListingSet& listings,
                       std::string_view eol) {
  std::string results;
  Assignment scratch;
  MacScanner scanner(text);
  while (const std::optional<MacFinding> finding = scanner.Next()) {
    SearchMacBase(listings, *finding, ResultFormat::kText, eol, &results,
                  &scratch);
  }
  return results;
}

}  // namespace venmark

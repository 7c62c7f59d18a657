#include "app/result_format.h"

#include <algorithm>

namespace venmark {

const std::array<const ResultFormat*, 3> kResultFormats = {
    &ResultFormat::kText, &ResultFormat::kTsv, &ResultFormat::kJson};

const ResultFormat* FindResultFormat(std::string_view name) {
  for (const ResultFormat* format : kResultFormats) {
    if (format->name == name) return format;
  }
  return nullptr;
}

std::string_view ResultWords::Special(SpecialAddress kind) const {
  switch (kind) {
    case SpecialAddress::kNone:
      return {};
    case SpecialAddress::kNull:
      return null;
    case SpecialAddress::kBroadcast:
      return broadcast;
    case SpecialAddress::kIpv4Multicast:
      return ipv4_multicast;
    case SpecialAddress::kIpv6Multicast:
      return ipv6_multicast;
    case SpecialAddress::kMulticast:
      return multicast;
    case SpecialAddress::kLocal:
      return local;
  }
  return {};
}

std::string_view ResultWords::From(Source source) const {
  switch (source) {
    case Source::kWritten:
      return {};
    case Source::kIpv6:
      return from_ipv6;
    case Source::kDuid:
      return from_duid;
    case Source::kClientId:
      return from_client_id;
  }
  return {};
}

std::string_view ResultWords::NoteOf(const ResultRow& row) const {
  if (!row.found) return Special(row.special);
  // The same prefix in a local address is a company's CID, not its OUI; a
  // range of the administrator's own answers before it.
  if (row.range.empty() && row.kind == ListingKind::kCid) return local_cid;
  return {};
}

void AppendRow(const ResultRow& row, const ResultStyle& style,
               std::string* out) {
  style.format->append(row, style, out);
  out->append(style.eol);
}

void SearchMacBase(const ListingSet& listings, const MacFinding& finding,
                   const ResultStyle& style, std::string* results,
                   std::vector<ResultRow>* rows, Assignment* scratch) {
  LookUp(listings, finding, rows, scratch);
  for (const ResultRow& row : *rows) AppendRow(row, style, results);
}

std::string SearchText(std::string_view text, const ListingSet& listings,
                       const ResultStyle& style) {
  std::string results;
  std::vector<ResultRow> rows;
  Assignment scratch;
  MacScanner scanner(text);
  if (style.format->carries_lines) scanner.CountLines(1);
  while (const std::optional<MacFinding> finding = scanner.Next()) {
    SearchMacBase(listings, *finding, style, &results, &rows, &scratch);
  }
  return results;
}

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

}  // namespace venmark

#include "lookup/search.h"

namespace venmark {

std::string_view SpecialAddressNote(std::uint64_t address) {
  const auto first = static_cast<unsigned>(address >> 40);
  if (address == 0xFFFFFFFFFFFF) return " (широковещательный адрес)";
  // 01-00-5E-00-00-00 to 01-00-5E-7F-FF-FF (RFC 1112).
  if ((address >> 23) == (0x01005EULL << 1)) return " (групповой адрес IPv4)";
  if ((address >> 32) == 0x3333) return " (групповой адрес IPv6)";
  if (first & 0x01) return " (групповой адрес)";
  if (first & 0x02) return " (локально администрируемый адрес)";
  return {};
}

void SearchMacBase(const ListingSet& listings, const MacFinding& finding,
                   std::string_view eol, std::string* results,
                   Assignment* scratch) {
  listings.Resolve(finding, scratch);
  for (const std::string_view name : scratch->names) {
    results->append(finding.candidate_mac)
        .append(" - ")
        .append(name)
        .append(eol);
  }
  if (scratch->names.empty()) {
    results->append(finding.candidate_mac)
        .append(kVendorNotFound)
        .append(SpecialAddressNote(finding.address))
        .append(eol);
  }
}

std::string SearchText(std::string_view text, const ListingSet& listings,
                       std::string_view eol) {
  std::string results;
  Assignment scratch;
  MacScanner scanner(text);
  while (const std::optional<MacFinding> finding = scanner.Next()) {
    SearchMacBase(listings, *finding, eol, &results, &scratch);
  }
  return results;
}

}  // namespace venmark

#include "lookup/search.h"

namespace venmark {

void SearchMacBase(const VendorDb& db, const MacFinding& finding,
                   std::string_view eol, std::string* results) {
  bool vendor_found = false;
  for (const std::string_view name : db.Find(finding.oui_key)) {
    results->append(finding.candidate_mac)
        .append(" - ")
        .append(name)
        .append(eol);
    vendor_found = true;
  }
  if (!vendor_found) {
    results->append(finding.candidate_mac).append(kVendorNotFound).append(eol);
  }
}

std::string SearchText(std::string_view text, const VendorDb& db,
                       std::string_view eol) {
  std::string results;
  MacScanner scanner(text);
  while (const std::optional<MacFinding> finding = scanner.Next()) {
    SearchMacBase(db, *finding, eol, &results);
  }
  return results;
}

}  // namespace venmark

#include "listings/result_rows.h"

namespace venmark {

void LookUp(const ListingSet& listings, const MacFinding& finding,
            std::vector<ResultRow>* rows, Assignment* scratch) {
  rows->clear();
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
  row.kind = scratch->kind;
  row.special = ClassifyAddress(finding.address);
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
  row.found = !scratch->names.empty();
  if (!row.found || !row.range.empty()) {
    // The range answers alone, with the listing's first name beside it.
    if (row.found) row.vendor = scratch->names.front();
    rows->push_back(row);
    return;
  }
  for (const std::string_view name : scratch->names) {
    row.vendor = name;
    rows->push_back(row);
  }
}

}  // namespace venmark

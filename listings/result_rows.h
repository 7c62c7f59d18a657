#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "listings/listing_set.h"
#include "scan/mac_scanner.h"
#include "scan/special_address.h"

namespace venmark {

// Everything known of one MAC found, for one record of its assignment: what
// each output format writes.
struct ResultRow {
  std::string_view mac;              // as written
  std::uint64_t address = 0;         // the MAC's 48 bits
  Source source = Source::kWritten;  // what mac is
  std::size_t line = 0;              // 1-based line of mac; 0 if not counted
  // The hex digits of the assignment that answers, or empty.
  std::string_view assignment;
  // The listing that assigned them, when one did.
  ListingKind kind = ListingKind::kMaL;
  // The record's vendor; found is false when no listing knows the MAC.
  std::string_view vendor;
  bool found = false;
  // What kind of address it is, which is the note of a MAC not found.
  SpecialAddress special = SpecialAddress::kNone;
  // The administrator's names: the device's own, and the range's that
  // answers, being more specific than any listing's assignment; empty for
  // none.
  std::string_view device;
  std::string_view range;
};

// The rows of one finding into *rows (cleared first): one for each record
// of its most specific assignment, in file order, or one with no vendor;
// one alone where the administrator's range answers. The rows point into
// finding and *scratch, which is reused between calls.
void LookUp(const ListingSet& listings, const MacFinding& finding,
            std::vector<ResultRow>* rows, Assignment* scratch);

}  // namespace venmark

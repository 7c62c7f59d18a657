#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "lookup/listing_set.h"
#include "lookup/mac_scanner.h"

namespace venmark {

// Line end of the results text as the results window keeps it.
inline constexpr std::string_view kCrLf = "\r\n";

// Follows the MAC in a line for a MAC no listing knows.
inline constexpr std::string_view kVendorNotFound =
    " - производитель не определен";

// What kind of special address a MAC is ("групповой адрес"); empty for an
// ordinary one.
std::string_view SpecialAddressNote(std::uint64_t address);

// The fields of one result line.
struct ResultRow {
  std::string_view mac;         // as written
  std::string_view assignment;  // digits of the assignment, or empty
  std::string_view vendor;      // or empty when no listing knows the MAC
  std::string_view note;        // SpecialAddressNote for a MAC not found
  bool found = false;
};

// How result lines are written: "MAC - name" lines, tab-separated fields,
// or one JSON object a line (mac, assignment, vendor, note).
enum class ResultFormat { kText, kTsv, kJson };

// Appends row to *out in format, ending in eol.
void AppendRow(const ResultRow& row, ResultFormat format, std::string_view eol,
               std::string* out);

// Appends the result lines of one finding to *results: one for each record
// of its most specific assignment, in file order, or one saying that no
// manufacturer is known, with the note of a special address. *scratch is
// reused between calls.
void SearchMacBase(const ListingSet& listings, const MacFinding& finding,
                   ResultFormat format, std::string_view eol,
                   std::string* results, Assignment* scratch);

// The results text of a whole search of text: the lines of every MAC in it,
// in the order the MACs stand.
std::string SearchText(std::string_view text, const ListingSet& listings,
                       std::string_view eol = kCrLf);

}  // namespace venmark

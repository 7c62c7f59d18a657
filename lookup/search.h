#pragma once

#include <string>
#include <string_view>

#include "lookup/mac_scanner.h"
#include "lookup/vendor_db.h"

namespace venmark {

// Line end of the results text as the results window keeps it.
inline constexpr std::string_view kCrLf = "\r\n";

// Follows the MAC in a line for a prefix the listing does not know.
inline constexpr std::string_view kVendorNotFound =
    " - производитель не определен";

// Appends the result lines of one finding to *results: "MAC - name" for each
// record of its prefix, in file order, or one "MAC - производитель не
// определен" when there is none. Each line ends in eol.
void SearchMacBase(const VendorDb& db, const MacFinding& finding,
                   std::string_view eol, std::string* results);

// The results text of a whole search of text: the lines of every MAC in it,
// in the order the MACs stand.
std::string SearchText(std::string_view text, const VendorDb& db,
                       std::string_view eol = kCrLf);

}  // namespace venmark

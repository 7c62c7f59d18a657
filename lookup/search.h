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

// What kind of address a MAC no listing knows is, as a note in brackets
// after kVendorNotFound (" (групповой адрес)"); empty for an ordinary one.
std::string_view SpecialAddressNote(std::uint64_t address);

// Appends the result lines of one finding to *results: "MAC - name" for each
// record of its most specific assignment, in file order, or one "MAC -
// производитель не определен" with the note of a special address when
// there is none. Each line ends in eol. *scratch is reused between calls.
void SearchMacBase(const ListingSet& listings, const MacFinding& finding,
                   std::string_view eol, std::string* results,
                   Assignment* scratch);

// The results text of a whole search of text: the lines of every MAC in it,
// in the order the MACs stand.
std::string SearchText(std::string_view text, const ListingSet& listings,
                       std::string_view eol = kCrLf);

}  // namespace venmark

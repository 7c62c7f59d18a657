#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "listings/listing_set.h"
#include "scan/mac_scanner.h"

namespace venmark {

// Line end of the results text as the results window keeps it.
inline constexpr std::string_view kCrLf = "\r\n";

// The special kinds of address a listing never names.
enum class SpecialAddress {
  kNone,           // an ordinary address
  kNull,           // 00:00:00:00:00:00
  kBroadcast,      // ff:ff:ff:ff:ff:ff
  kIpv4Multicast,  // 01:00:5e:00:00:00 to 01:00:5e:7f:ff:ff
  kIpv6Multicast,  // 33:33:…
  kMulticast,      // any other group address
  kLocal,          // locally administered
};

// What kind of special address a MAC is.
SpecialAddress ClassifyAddress(std::uint64_t address);

// The words result lines are written in, from the frontend's catalog.
struct ResultWords {
  // Follows the MAC in a line for a MAC no listing knows.
  std::string_view vendor_not_found;
  // The note of each SpecialAddress; kNone's is empty.
  std::array<std::string_view, 7> special;
  // The note of a MAC found inside another identifier: this word, the MAC,
  // then the word of its Source ("MAC", "из IPv6-адреса"); kWritten's is
  // empty.
  std::string_view derived_mac;
  std::array<std::string_view, 4> derived_from;
  // Follows the name of the administrator's range that answers for a MAC.
  std::string_view user_range;
  // The note of a local address named by the company whose CID it carries.
  std::string_view local_cid;
};

// The fields of one result line.
struct ResultRow {
  std::string_view mac;         // as written
  std::string_view assignment;  // digits of the assignment, or empty
  std::string_view vendor;      // or empty when no listing knows the MAC
  // The special address note of a MAC not found, or of a local address
  // a CID names.
  std::string_view note;
  bool found = false;
  std::uint64_t address = 0;         // the MAC's 48 bits
  Source source = Source::kWritten;  // what mac is
  std::size_t line = 0;              // 1-based line of mac; 0 if not counted
  // The administrator's names: the device's own, and the range's that
  // answers, being more specific than any listing's assignment; empty for
  // none. Machine formats carry the device's, else the range's, as name.
  std::string_view device;
  std::string_view range;
};

// How result lines are written: "MAC - name" lines, tab-separated fields
// (mac, assignment, vendor, note, address, line, name), or one JSON object
// a line (the same, and derived_from for a MAC found inside another
// identifier).
enum class ResultFormat { kText, kTsv, kJson };

// The form of result lines: format, line end and words.
struct ResultStyle {
  ResultFormat format = ResultFormat::kText;
  std::string_view eol = kCrLf;
  const ResultWords* words = nullptr;  // must outlive every line written
};

// Appends row to *out in style.
void AppendRow(const ResultRow& row, const ResultStyle& style,
               std::string* out);

// Appends the result lines of one finding to *results: one for each record
// of its most specific assignment, in file order, or one saying that no
// manufacturer is known, with the note of a special address. *scratch is
// reused between calls.
void SearchMacBase(const ListingSet& listings, const MacFinding& finding,
                   const ResultStyle& style, std::string* results,
                   Assignment* scratch);

// The results text of a whole search of text: the lines of every MAC in it,
// in the order the MACs stand.
std::string SearchText(std::string_view text, const ListingSet& listings,
                       const ResultStyle& style);

}  // namespace venmark

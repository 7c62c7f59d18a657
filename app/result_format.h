#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listings/result_rows.h"

namespace venmark {

// Line end of the results text as the results window keeps it.
inline constexpr std::string_view kCrLf = "\r\n";

// The words result lines are written in: the catalog's, or a test's own.
struct ResultWords {
  // Follows the MAC in a line for a MAC no listing knows.
  std::string_view vendor_not_found;
  // The notes of the special addresses.
  std::string_view null, broadcast, ipv4_multicast, ipv6_multicast, multicast,
      local;
  // The note of a MAC found inside another identifier: this word, the MAC,
  // then the word of what it was found in.
  std::string_view derived_mac;
  std::string_view from_ipv6, from_duid, from_client_id;
  // Follows the name of the administrator's range that answers for a MAC.
  std::string_view user_range;
  // The note of a local address named by the company whose CID it carries.
  std::string_view local_cid;

  // The note of a special address; empty for an ordinary one.
  std::string_view Special(SpecialAddress kind) const;
  // The words of what a derived MAC was found in; empty for a written one.
  std::string_view From(Source source) const;
  // The note of row: the kind of address where no listing knows it, the
  // CID's where a company's CID names a local address, else none.
  std::string_view NoteOf(const ResultRow& row) const;
};

struct ResultStyle;

// One output format: its name for --format, whether its rows carry their
// line numbers (lines are counted only for those that do), and its writer,
// which appends a row's line to *out. Each writer is a file of its own.
struct ResultFormat {
  std::string_view name;
  bool carries_lines = false;
  void (*append)(const ResultRow& row, const ResultStyle& style,
                 std::string* out) = nullptr;

  static const ResultFormat kText;  // "MAC - name" (text_format.cc)
  static const ResultFormat kTsv;   // tab-separated fields (tsv_format.cc)
  static const ResultFormat kJson;  // one JSON object a line (json_format.cc)
};

// Every format --format takes, the default first.
extern const std::array<const ResultFormat*, 3> kResultFormats;

// The format called name, or nothing.
const ResultFormat* FindResultFormat(std::string_view name);

// The form of result lines: format, line end and words.
struct ResultStyle {
  const ResultFormat* format = &ResultFormat::kText;
  std::string_view eol = kCrLf;
  const ResultWords* words = nullptr;  // must outlive every line written
};

// Appends row's line to *out in style.
void AppendRow(const ResultRow& row, const ResultStyle& style,
               std::string* out);

// Appends the result lines of one finding to *results: one for each record
// of its most specific assignment, in file order, or one saying that no
// manufacturer is known, with the note of a special address. *rows and
// *scratch are reused between calls.
void SearchMacBase(const ListingSet& listings, const MacFinding& finding,
                   const ResultStyle& style, std::string* results,
                   std::vector<ResultRow>* rows, Assignment* scratch);

// The results text of a whole search of text: the lines of every MAC in it,
// in the order the MACs stand.
std::string SearchText(std::string_view text, const ListingSet& listings,
                       const ResultStyle& style);

// A C0 control or DEL: never written raw by any format.
inline bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// A field of a text or TSV line as a terminal may show it: every control
// character (C0, DEL and the C1 range, U+0080 to U+009F, in UTF-8) becomes
// "?", so no escape sequence from a listing reaches the terminal and no
// tab or line break splits a row.
void AppendVisible(std::string_view field, std::string* out);

}  // namespace venmark

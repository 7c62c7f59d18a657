#include "app/result_format.h"

#include <gtest/gtest.h>

#include <string>

#include "testing/listings.h"

namespace venmark {
namespace {

const ListingSet& TestListings() {
  static const ListingSet listing(
      MalListing::Parse("00-1A-2B   (hex)\t\tExample Networks\r\n"
                        "00-11-22   (hex)\t\tFirst Owner\r\n"
                        "00-11-22   (hex)\t\tSecond Owner\r\n"
                        "AA-BB-CC   (hex)\t\t\r\n"
                        "00-AA-BB   (hex)\t\tОАО «Пример»\r\n"));
  return listing;
}

// The result lines of text, in the tests' words.
std::string Lines(std::string_view text, const ListingSet& set,
                  std::string_view eol = kCrLf) {
  return SearchText(text, set, TestStyle(ResultFormat::kText, eol));
}

TEST(SearchTest, WritesFoundAndNotFoundLinesInTextOrder) {
  EXPECT_EQ(Lines("00-1a-2b-3c-4d-5e and 00:1a:2c:00:00:01", TestListings()),
            "00-1a-2b-3c-4d-5e - Example Networks\r\n"
            "00:1a:2c:00:00:01 - no vendor\r\n");
}

TEST(SearchTest, GivesOneLinePerRecordOfAPrefix) {
  EXPECT_EQ(Lines("0011.2233.4455", TestListings()),
            "0011.2233.4455 - First Owner\r\n"
            "0011.2233.4455 - Second Owner\r\n");
}

TEST(SearchTest, ShowsTheMacAsWrittenWhateverFollowsIt) {
  EXPECT_EQ(Lines("001a.2b3c.4d5e  Ab", TestListings()),
            "001a.2b3c.4d5e - Example Networks\r\n");
  EXPECT_EQ(Lines("001a.2b3c.4d5f  Ab", TestListings()),
            "001a.2b3c.4d5f - Example Networks\r\n");
  EXPECT_EQ(Lines("00-1A-2B-3C-4D-5A", TestListings()),
            "00-1A-2B-3C-4D-5A - Example Networks\r\n");
  EXPECT_EQ(Lines("00-1A-2C-3C-4D-5A", TestListings()),
            "00-1A-2C-3C-4D-5A - no vendor\r\n");
}

TEST(SearchTest, KeepsEmptyAndNonAsciiNames) {
  EXPECT_EQ(Lines("aa:bb:cc:00:00:01", TestListings()),
            "aa:bb:cc:00:00:01 - \r\n");
  EXPECT_EQ(Lines("Адрес: 00-aa-bb-01-02-03.", TestListings()),
            "00-aa-bb-01-02-03 - ОАО «Пример»\r\n");
}

// A listing's control characters never reach a terminal, nor split a TSV
// row; JSON escapes them. The edges: U+001F and DEL are controls, a space
// and a tilde are not.
TEST(SearchTest, ShowsControlCharactersInNamesAsQuestionMarks) {
  const MacFinding finding = FindMacs("00-1a-2b-00-00-01").at(0);
  const struct {
    const char* name;
    const ResultFormat& format;
    const char* line;
  } cases[] = {
      {"Evil\x1b]0;x\x07 Tab\there \xc2\x9b"
       "2J",
       ResultFormat::kText, "00-1a-2b-00-00-01 - Evil?]0;x? Tab?here ?2J\n"},
      {"Evil\x1b]0;x\x07 Tab\there \xc2\x9b"
       "2J",
       ResultFormat::kTsv,
       "00-1a-2b-00-00-01\t001A2B\tEvil?]0;x? Tab?here ?2J\t\t"
       "00:1a:2b:00:00:01\t0\t\n"},
      {"Evil\x1b]0;x\x07 Tab\there \xc2\x9b"
       "2J",
       ResultFormat::kJson,
       "{\"mac\":\"00-1a-2b-00-00-01\",\"assignment\":\"001A2B\",\"vendor\":"
       "\"Evil\\u001b]0;x\\u0007 Tab\\there \xc2\x9b"
       "2J\",\"note\":\"\",\"address\":\"00:1a:2b:00:00:01\",\"line\":0,"
       "\"name\":\"\"}\n"},
      {"A\x7f"
       "B\x1f"
       "C D~",
       ResultFormat::kText, "00-1a-2b-00-00-01 - A?B?C D~\n"},
      // The C1 range's edges, U+0080 and U+009F, and U+00A0 after them.
      {"Caf\xc3\xa9 \xc2\xa0Ltd \xc2\x80\xc2\x9f\xc2\xa0", ResultFormat::kText,
       "00-1a-2b-00-00-01 - Caf\xc3\xa9 \xc2\xa0Ltd ??\xc2\xa0\n"},
      {"A\x7f"
       "B\x1f"
       "C D~",
       ResultFormat::kTsv,
       "00-1a-2b-00-00-01\t001A2B\tA?B?C D~\t\t00:1a:2b:00:00:01\t0\t\n"},
      {"A\x7f"
       "B\x1f"
       "C D~",
       ResultFormat::kJson,
       "{\"mac\":\"00-1a-2b-00-00-01\",\"assignment\":\"001A2B\",\"vendor\":"
       "\"A\\u007fB\\u001fC D~\",\"note\":\"\",\"address\":"
       "\"00:1a:2b:00:00:01\",\"line\":0,\"name\":\"\"}\n"},
  };
  for (const auto& c : cases) {
    const ListingSet listing(MalListing::Parse("00-1A-2B   (hex)\t\t" +
                                               std::string(c.name) + "\r\n"));
    std::string out;
    std::vector<ResultRow> rows;
    Assignment scratch;
    SearchMacBase(listing, finding, TestStyle(c.format), &out, &rows, &scratch);
    EXPECT_EQ(out, c.line);
  }
}

// A MAC found inside another identifier is shown as written, then named,
// with the MAC and where it came from; machine formats carry the MAC, the
// line and the source in fields of their own, the columns before them in
// place.
TEST(SearchTest, NamesTheMacInsideAnotherIdentifier) {
  const ListingSet listing(
      MalListing::Parse("00-1D-AA   (hex)\t\tDrayTek Corp.\r\n"));
  const std::string text =
      "neighbours:\nfe80::21d:aaff:fe61:83c dev eth0\n\n"
      "duid 00:03:00:01:02:1d:aa:61:08:3c; 01-00-1d-aa-61-08-3c\n"
      "00:1D:AA:61:08:3C\n";
  const struct {
    const ResultFormat& format;
    const char* lines;
  } cases[] = {
      {ResultFormat::kText,
       "fe80::21d:aaff:fe61:83c - DrayTek Corp. (MAC 00:1d:aa:61:08:3c from "
       "IPv6)\n"
       "00:03:00:01:02:1d:aa:61:08:3c - no vendor (local) (MAC "
       "02:1d:aa:61:08:3c from DUID)\n"
       "01-00-1d-aa-61-08-3c - DrayTek Corp. (MAC 00:1d:aa:61:08:3c from "
       "client-id)\n"
       "00:1D:AA:61:08:3C - DrayTek Corp.\n"},
      {ResultFormat::kTsv,
       "fe80::21d:aaff:fe61:83c\t001DAA\tDrayTek "
       "Corp.\t\t00:1d:aa:61:08:3c\t2\t\n"
       "00:03:00:01:02:1d:aa:61:08:3c\t\t\tlocal\t02:1d:aa:61:08:3c\t4\t\n"
       "01-00-1d-aa-61-08-3c\t001DAA\tDrayTek Corp.\t\t00:1d:aa:61:08:3c\t4\t\n"
       "00:1D:AA:61:08:3C\t001DAA\tDrayTek Corp.\t\t00:1d:aa:61:08:3c\t5\t\n"},
      {ResultFormat::kJson,
       "{\"mac\":\"fe80::21d:aaff:fe61:83c\",\"assignment\":\"001DAA\","
       "\"vendor\":\"DrayTek Corp.\",\"note\":\"\",\"address\":"
       "\"00:1d:aa:61:08:3c\",\"line\":2,\"name\":\"\",\"derived_from\":"
       "\"ipv6\"}\n"
       "{\"mac\":\"00:03:00:01:02:1d:aa:61:08:3c\",\"assignment\":\"\","
       "\"vendor\":\"\",\"note\":\"local\",\"address\":"
       "\"02:1d:aa:61:08:3c\",\"line\":4,\"name\":\"\",\"derived_from\":"
       "\"duid\"}\n"
       "{\"mac\":\"01-00-1d-aa-61-08-3c\",\"assignment\":\"001DAA\","
       "\"vendor\":\"DrayTek Corp.\",\"note\":\"\",\"address\":"
       "\"00:1d:aa:61:08:3c\",\"line\":4,\"name\":\"\",\"derived_from\":"
       "\"client-id\"}\n"
       "{\"mac\":\"00:1D:AA:61:08:3C\",\"assignment\":\"001DAA\","
       "\"vendor\":\"DrayTek Corp.\",\"note\":\"\",\"address\":"
       "\"00:1d:aa:61:08:3c\",\"line\":5,\"name\":\"\"}\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SearchText(text, listing, TestStyle(c.format, "\n")), c.lines);
    // Block by block, the lines counted across the blocks alike.
    for (std::size_t cut = 0; cut <= text.size(); cut += 7) {
      StreamScanner stream;
      if (c.format.carries_lines) stream.CountLines();
      std::string out;
      std::vector<ResultRow> rows;
      Assignment scratch;
      auto found = [&](const MacFinding& f) {
        SearchMacBase(listing, f, TestStyle(c.format, "\n"), &out, &rows,
                      &scratch);
      };
      stream.Feed(std::string_view(text).substr(0, cut), found);
      stream.Feed(std::string_view(text).substr(cut), found);
      stream.Finish(found);
      EXPECT_EQ(out, c.lines) << "cut at " << cut;
    }
  }
}

TEST(SearchTest, WritesNothingForTextWithoutMacs) {
  EXPECT_EQ(Lines("", TestListings()), "");
  EXPECT_EQ(Lines("------------------------------\r\n", TestListings()), "");
}

TEST(SearchTest, EndsLinesAsAsked) {
  EXPECT_EQ(Lines("00-1a-2b-3c-4d-5e 00-1a-2b-3c-4d-5f", TestListings(), "\n"),
            "00-1a-2b-3c-4d-5e - Example Networks\n"
            "00-1a-2b-3c-4d-5f - Example Networks\n");
}

TEST(SearchTest, EmptyListingAnswersNotFoundForEveryMac) {
  const ListingSet empty(MalListing::Parse(""));
  EXPECT_EQ(Lines("00-1a-2b-3c-4d-5e\n0011.2233.4455", empty),
            "00-1a-2b-3c-4d-5e - no vendor\r\n"
            "0011.2233.4455 - no vendor\r\n");
}

// The table of formats, entry by entry: the default first, and line numbers
// counted only for the formats that write them (counting them for text
// costs a pass over every byte and shows nothing).
TEST(ResultFormatTest, EachFormatIsNamedAndSaysWhetherItCarriesLines) {
  ASSERT_EQ(kResultFormats.size(), 3u);
  EXPECT_EQ(kResultFormats[0], &ResultFormat::kText);
  EXPECT_EQ(kResultFormats[1], &ResultFormat::kTsv);
  EXPECT_EQ(kResultFormats[2], &ResultFormat::kJson);
  EXPECT_EQ(ResultFormat::kText.name, "text");
  EXPECT_FALSE(ResultFormat::kText.carries_lines);
  EXPECT_EQ(ResultFormat::kTsv.name, "tsv");
  EXPECT_TRUE(ResultFormat::kTsv.carries_lines);
  EXPECT_EQ(ResultFormat::kJson.name, "json");
  EXPECT_TRUE(ResultFormat::kJson.carries_lines);
  for (const ResultFormat* format : kResultFormats) {
    EXPECT_EQ(FindResultFormat(format->name), format);
  }
  EXPECT_EQ(FindResultFormat("xml"), nullptr);
  EXPECT_EQ(FindResultFormat(""), nullptr);
  EXPECT_EQ(FindResultFormat("TEXT"), nullptr);
}

}  // namespace
}  // namespace venmark

#include "listings/result_lines.h"

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
    ResultFormat format;
    const char* line;
  } cases[] = {
      {"Evil\x1b]0;x\x07 Tab\there \xc2\x9b" "2J", ResultFormat::kText,
       "00-1a-2b-00-00-01 - Evil?]0;x? Tab?here ?2J\n"},
      {"Evil\x1b]0;x\x07 Tab\there \xc2\x9b" "2J", ResultFormat::kTsv,
       "00-1a-2b-00-00-01\t001A2B\tEvil?]0;x? Tab?here ?2J\t\n"},
      {"Evil\x1b]0;x\x07 Tab\there \xc2\x9b" "2J", ResultFormat::kJson,
       "{\"mac\":\"00-1a-2b-00-00-01\",\"assignment\":\"001A2B\",\"vendor\":"
       "\"Evil\\u001b]0;x\\u0007 Tab\\there \xc2\x9b"
       "2J\",\"note\":\"\"}\n"},
      {"A\x7f" "B\x1f" "C D~", ResultFormat::kText,
       "00-1a-2b-00-00-01 - A?B?C D~\n"},
      {"A\x7f" "B\x1f" "C D~", ResultFormat::kTsv,
       "00-1a-2b-00-00-01\t001A2B\tA?B?C D~\t\n"},
      {"A\x7f" "B\x1f" "C D~", ResultFormat::kJson,
       "{\"mac\":\"00-1a-2b-00-00-01\",\"assignment\":\"001A2B\",\"vendor\":"
       "\"A\\u007fB\\u001fC D~\",\"note\":\"\"}\n"},
  };
  for (const auto& c : cases) {
    const ListingSet listing(MalListing::Parse(
        "00-1A-2B   (hex)\t\t" + std::string(c.name) + "\r\n"));
    std::string out;
    Assignment scratch;
    SearchMacBase(listing, finding, TestStyle(c.format), &out, &scratch);
    EXPECT_EQ(out, c.line);
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

}  // namespace
}  // namespace venmark

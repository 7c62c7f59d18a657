#include "cli/second_half.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "listings/paths.h"
#include "testing/listings.h"

namespace venmark {
namespace {

// A finding as the writers see it.
std::string Seen(const MacFinding& finding) {
  return std::string(finding.candidate_mac) + " line " +
         std::to_string(finding.line) + " notation " +
         std::to_string(static_cast<int>(finding.notation)) + " source " +
         std::to_string(static_cast<int>(finding.source));
}

// n lines of a DHCP log, a MAC each, in turn dashed, a DUID's and dotted.
std::string Log(int n) {
  std::string text;
  char line[96];
  for (int i = 0; i < n; ++i) {
    const char* const kForms[] = {
        "dhcpd: DHCPACK to 00-50-56-%02X-%02X-%02X via eth1\r\n",
        "dhcp6: DUID 00:03:00:01:00:50:56:%02x:%02x:%02x\n",
        "switch: 0050.56%02x.%02x%02x DYNAMIC Gi1/0/1\n"};
    std::snprintf(line, sizeof line, kForms[i % 3], i >> 16 & 0xFF,
                  i >> 8 & 0xFF, i & 0xFF);
    text += line;
  }
  return text;
}

// The second half's findings are always the first of one scan's from its
// start on, and all of them where nothing above the start decides one:
// what stops it early (a bare word whose verdict rests on a heading above,
// bytes that are no UTF-8, no room) leaves the rest to the first half's
// scan, and before a blank line that would be soon.
TEST(SecondHalfTest, FindsTheFirstOfWhatOneScanFindsFromItsStart) {
  const std::string log = Log(3000);
  const struct {
    const char* name;
    std::string text;
    std::size_t room;
    bool whole;
    std::size_t fewest;  // found at least, when not whole
  } cases[] = {
      {"a log", log, SecondHalf::kRoom, true, 0},
      {"no room", log, 0, false, 0},
      // A chunk holds some 50,000 findings, and no second is had.
      {"room for one chunk of a long log", Log(200000), 2 << 20, false, 40000},
      {"a column under a heading far above",
       "Name    MAC address\n" + log + log + "pc1  00505600ABCD\n" + log,
       SecondHalf::kRoom, false, 1000},
      {"a heading after a blank line",
       log + log + "\nName    MAC address\npc1  00505600ABCD\n" + log,
       SecondHalf::kRoom, true, 0},
      {"a bare word under its own key",
       "Name    MAC address\n" + log + log + "MAC: 00505600ABCD\n" + log,
       SecondHalf::kRoom, true, 0},
      {"Windows-1251 after the middle",
       log + log + "\xCF\xEE\xF0\xF2 00-50-56-01-02-03\n" + log,
       SecondHalf::kRoom, false, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const TestFolder folder;
    WriteWholeFile(folder / "text.txt", c.text);
    std::FILE* file =
        std::fopen(Utf8FromPath(folder / "text.txt").c_str(), "rb");
    ASSERT_NE(file, nullptr);
    SecondHalf half(file, 0, true, c.room);
    ASSERT_TRUE(half.started());
    ASSERT_GT(half.start(), c.text.size() / 3);
    ASSERT_LT(half.start(), c.text.size() / 2);
    ASSERT_EQ(c.text[half.start() - 1], '\n');
    MacScanner scanner(c.text);
    scanner.CountLines(1);
    std::vector<std::string> expected;
    std::size_t first_line = 1;
    for (std::size_t at = 0; at < half.start(); ++at) {
      first_line += c.text[at] == '\n';
    }
    while (const std::optional<MacFinding> finding = scanner.Next()) {
      if (finding->offset >= half.start()) expected.push_back(Seen(*finding));
    }
    std::vector<std::string> found;
    const std::size_t handed =
        half.Each(first_line, [&](const MacFinding& finding) {
          found.push_back(Seen(finding));
          return true;
        });
    EXPECT_EQ(handed, found.size());
    std::fclose(file);
    EXPECT_EQ(half.whole(), c.whole);
    if (c.whole) {
      EXPECT_EQ(found, expected);
    } else {
      EXPECT_GE(found.size(), c.fewest);
      ASSERT_LT(found.size(), expected.size());
      EXPECT_EQ(found, std::vector<std::string>(
                           expected.begin(), expected.begin() + found.size()));
    }
  }
}

// Where no line starts near the middle (a line of hundreds of kilobytes
// across it), the file is not split: a part begun inside a line would cut
// a MAC in two.
TEST(SecondHalfTest, NoSplitInsideALongLine) {
  std::string line;
  while (line.size() < (300 << 10)) line += "seen 00:50:56:00:00:01 ";
  const TestFolder folder;
  WriteWholeFile(folder / "text.txt", Log(100) + line + "\n" + Log(100));
  std::FILE* file = std::fopen(Utf8FromPath(folder / "text.txt").c_str(), "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(SecondHalf(file, 0, true).started());
  std::fclose(file);
}

}  // namespace
}  // namespace venmark

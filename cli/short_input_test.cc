#include "cli/short_input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "listings/listing_set.h"
#include "listings/paths.h"
#include "testing/listings.h"

namespace venmark {
namespace {

// Only a regular file shorter than a long text is read whole first, by
// name or as standard input, which stays open; UTF-16 is decoded; of
// anything else nothing is read.
TEST(ShortInputTest, ReadsAShortRegularFileWholeAndNothingElse) {
  const TestFolder folder;
  const std::string last_short(ListingSet::kLongText - 1, 'x');
  WriteWholeFile(folder / "short.txt", "00:1a:2b:3c:4d:5e\n");
  WriteWholeFile(folder / "longest.txt", last_short);
  WriteWholeFile(folder / "long.txt", last_short + "x");
  WriteWholeFile(folder / "le.txt", std::string("\xFF\xFE"
                                                "0\0:\0"
                                                "1\0",
                                                8));
  WriteWholeFile(folder / "be.txt", std::string("\xFE\xFF\0"
                                                "0\0:\0"
                                                "1",
                                                8));
  // Cut inside a character: what is left over is told as U+FFFD.
  WriteWholeFile(folder / "odd.txt", std::string("\xFF\xFE"
                                                 "0\0"
                                                 "1",
                                                 5));
  const struct {
    const char* name;
    bool read;
    std::string text;
  } cases[] = {
      {"short.txt", true, "00:1a:2b:3c:4d:5e\n"},
      {"longest.txt", true, last_short},
      {"long.txt", false, ""},
      {"le.txt", true, "0:1"},
      {"be.txt", true, "0:1"},
      {"odd.txt", true, "0\xEF\xBF\xBD"},
      {"missing.txt", false, ""},
  };
  for (const auto& c : cases) {
    const ShortInput input =
        ReadShortInput(Utf8FromPath(folder / c.name), nullptr);
    EXPECT_EQ(input.read, c.read) << c.name;
    EXPECT_EQ(input.error, 0) << c.name;
    EXPECT_EQ(input.text, c.text) << c.name;
  }
  // Standard input: a file is read and left open; of a pipe nothing.
  std::FILE* in = std::fopen(Utf8FromPath(folder / "short.txt").c_str(), "rb");
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(ReadShortInput("-", in).text, "00:1a:2b:3c:4d:5e\n");
  EXPECT_NE(::fcntl(::fileno(in), F_GETFD), -1);
  std::fclose(in);
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  ASSERT_EQ(::write(ends[1], "00:1a:2b:3c:4d:5e\n", 18), 18);
  ::close(ends[1]);
  std::FILE* piped = ::fdopen(ends[0], "rb");
  EXPECT_FALSE(ReadShortInput("-", piped).read);
  char first = 0;
  EXPECT_EQ(::read(ends[0], &first, 1), 1);  // nothing was taken from it
  EXPECT_EQ(first, '0');
  std::fclose(piped);
}

// Each 24-bit prefix once, in order, those of MACs inside other
// identifiers too.
TEST(ShortInputTest, TakesEachPrefixOnce) {
  EXPECT_EQ(PrefixesOf("00:1a:2b:00:00:02 00-1A-2B-FF-FF-FF "
                       "fe80::200:2ff:fe00:1 70b3.d5f2.f001"),
            (std::vector<std::uint32_t>{0x000002, 0x001A2B, 0x70B3D5}));
  EXPECT_TRUE(PrefixesOf("no MAC here").empty());
}

}  // namespace
}  // namespace venmark

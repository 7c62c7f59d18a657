#include "listings/text_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "scan/mac_shapes.h"

namespace venmark {
namespace {

// Where needle stands in text from `from` on, looked for byte by byte.
std::size_t SlowFind(std::string_view text, std::string_view needle,
                     std::size_t from, bool any_case) {
  for (std::size_t at = from; at + needle.size() <= text.size(); ++at) {
    bool same = true;
    for (std::size_t i = 0; i < needle.size() && same; ++i) {
      same = any_case ? shapes::Lower(text[at + i]) == shapes::Lower(needle[i])
                      : text[at + i] == needle[i];
    }
    if (same) return at;
  }
  return std::string_view::npos;
}

// The fast search finds what a slow one does, from every place, in texts of
// the bytes the listings are made of (a CR, whose 0x20 bit makes it a "-",
// among them) with needles of one to nine bytes, either case or exact,
// across every way they fall on the sixteen-byte blocks.
TEST(FinderTest, FindsWhatASlowSearchFinds) {
  std::mt19937 random(23);
  const std::string bytes = "0B-(hex)\r\n\taAbE";
  auto pick = [&](std::size_t size) {
    std::string s;
    for (std::size_t i = 0; i < size; ++i) {
      s += bytes[std::uniform_int_distribution<std::size_t>(
          0, bytes.size() - 1)(random)];
    }
    return s;
  };
  for (int round = 0; round < 400; ++round) {
    const std::string text = pick(round % 70);
    const std::string needle = round % 3 == 0 && text.size() > 10
                                   ? text.substr(round % 7, 1 + round % 9)
                                   : pick(1 + round % 4);
    const bool any_case = round % 2 == 1;
    const Finder finder(needle, any_case);
    for (std::size_t from = 0; from <= text.size() + 1; ++from) {
      ASSERT_EQ(finder.In(text, from), SlowFind(text, needle, from, any_case))
          << "text \"" << text << "\", needle \"" << needle << "\", from "
          << from << (any_case ? ", either case" : "");
    }
  }
  EXPECT_EQ(Finder("").In("text", 0), std::string_view::npos);
  EXPECT_EQ(Finder("70-b3-d5", true).In("\r\n\t70-B3-D5   (hex)", 0), 3u);
  EXPECT_EQ(Finder("70-b3-d5").In("\r\n\t70-B3-D5   (hex)", 0),
            std::string_view::npos);
}

// A line ends at its first CR or LF, or where the text does, wherever
// that falls on the sixteen-byte blocks; from its end on, it ends there.
TEST(LineEndFromTest, EndsAtTheFirstBreak) {
  for (const std::size_t length :
       {0u, 1u, 7u, 8u, 9u, 15u, 16u, 17u, 31u, 32u, 33u, 40u}) {
    for (const std::string_view eol : {"\r\n", "\n", "\r", ""}) {
      const std::string text = std::string(length, 'x') + std::string(eol) +
                               std::string(20, 'y') + "\n";
      for (std::size_t from = 0; from <= length; ++from) {
        const std::size_t end = eol.empty() ? text.size() - 1 : length;
        ASSERT_EQ(LineEndFrom(text, from), end)
            << length << " bytes, from " << from;
      }
      EXPECT_EQ(LineEndFrom(std::string_view(text).substr(0, length), 0),
                length);
    }
  }
}

}  // namespace
}  // namespace venmark

#include "lookup/text_codec.h"

#include <gtest/gtest.h>

namespace venmark {
namespace {

TEST(TextCodecTest, AcceptsOnlyWellFormedUtf8) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("ASCII, Кириллица, €, 𝄞"));
  for (const char* bad : {
           "\x80",              // a lone continuation byte
           "\xc3",              // cut short
           "\xc0\xaf",          // overlong '/'
           "\xe0\x80\xaf",      // overlong, three bytes
           "\xed\xa0\x80",      // a surrogate
           "\xf4\x90\x80\x80",  // past U+10FFFF
           "\xfc\x80\x80\x80\x80\x80",
           "M\xfcller",
       }) {
    EXPECT_FALSE(IsValidUtf8(bad)) << testing::PrintToString(bad);
  }
}

TEST(TextCodecTest, DecodesWindows1252) {
  std::string out;
  AppendWindows1252AsUtf8("A\x80\x8a\x9f\xa0\xe9\xff\x81", &out);
  EXPECT_EQ(out, "A€Š\u0178\u00a0é\u00ff\uFFFD");
}

}  // namespace
}  // namespace venmark

#include "scan/notations.h"

#include <gtest/gtest.h>

#include <string>

#include "scan/byte_passes.h"
#include "scan/label_context.h"
#include "scan/mac_scanner.h"

namespace venmark {
namespace {

// The pieces one after another (appended, which GCC 12 at -O3 does not
// mistake for overlapping copies as it does operator+).
std::string Join(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) text.append(piece);
  return text;
}

// The label a row's example needs before it, on its line.
std::string LabelFor(Need need) {
  switch (need) {
    case Need::kMacLabel:
      return "MAC: ";
    case Need::kDuidLabel:
      return "DUID: ";
    case Need::kClientIdLabel:
      return "client-id: ";
    default:
      return "";
  }
}

// Every row's example is what the scanner finds by that row, as written,
// whole and a block at a time, in every place the text may put it; and the
// byte pass offers its start in every build. A row added to the table that
// the pass or the matcher cannot reach fails here.
TEST(NotationsTest, EveryExampleIsFoundByItsOwnRow) {
  const std::vector<Simd> levels = SupportedSimd();
  for (const NotationRow& row : Notations()) {
    SCOPED_TRACE(std::string(row.example));
    std::string_view mac = row.example;
    if (row.need == Need::kTag) mac.remove_prefix(mac.find(' ') + 1);
    if (row.need == Need::kDotLeader) mac.remove_prefix(mac.find("...") + 3);
    if (row.reading == Reading::kGroups) {
      EXPECT_EQ(mac.size(), row.text_length);
    }
    for (const std::string& around :
         {std::string(""), std::string(" x"), std::string(";\n")}) {
      const std::string text =
          Join({"host 10.0.0.1 ", LabelFor(row.need), row.example, around});
      const std::vector<MacFinding> found = FindMacs(text);
      ASSERT_EQ(found.size(), 1u) << text;
      EXPECT_EQ(found[0].notation, row.notation);
      EXPECT_EQ(found[0].source, row.source);
      EXPECT_EQ(found[0].candidate_mac, mac);
      EXPECT_EQ(found[0].offset, text.size() - around.size() - mac.size());
      // The tag's row is reached from the tag, every other from the first
      // byte of its text.
      const std::size_t start =
          row.need == Need::kTag ? text.find("G:") + 1 : found[0].offset;
      for (const Simd simd : levels) {
        MacStarts starts(text, simd);
        bool tag = false;
        EXPECT_EQ(starts.Next(start, &tag), start)
            << "level " << static_cast<int>(simd);
      }
      std::vector<std::string> blockwise;
      for (std::size_t cut = 0; cut <= text.size(); ++cut) {
        StreamScanner stream;
        blockwise.clear();
        auto keep = [&](const MacFinding& f) {
          blockwise.emplace_back(f.candidate_mac);
        };
        stream.Feed(std::string_view(text).substr(0, cut), keep);
        stream.Feed(std::string_view(text).substr(cut), keep);
        stream.Finish(keep);
        ASSERT_EQ(blockwise, std::vector<std::string>{std::string(mac)})
            << "cut at " << cut;
      }
    }
    // Without the label it needs, nothing.
    if (row.need != Need::kNothing && row.need != Need::kTag) {
      EXPECT_TRUE(FindMacs(Join({"host ", mac})).empty());
    }
  }
}

// The example of each source is the MAC it names: the bits of an IPv6
// identifier, a DUID's last six bytes, a client identifier's after 01.
TEST(NotationsTest, DerivedMacsAreTheBitsTheyHold) {
  for (const NotationRow& row : Notations()) {
    if (row.source == Source::kWritten) continue;
    const std::vector<MacFinding> found =
        FindMacs(Join({LabelFor(row.need), row.example}));
    ASSERT_EQ(found.size(), 1u) << row.example;
    const std::uint64_t want =
        row.source == Source::kIpv6 ? 0x001DAA61083C : 0x9061AE3D5C1F;
    EXPECT_EQ(found[0].address, want) << row.example;
  }
}

// Every label word holds a mark the label pass stops at, in every build:
// else a line holding only that label would never be read.
TEST(NotationsTest, TheLabelPassSeesEveryLabelWord) {
  for (const LabelWord& label : LabelWords()) {
    for (const std::string& text :
         {std::string(label.word), Join({" ", label.word, "  "})}) {
      for (const Simd simd : SupportedSimd()) {
        EXPECT_LT(NextLabelMark(text, 0, text.size(), simd), text.size())
            << label.word << " at level " << static_cast<int>(simd);
      }
    }
    // And upper-cased, as headings write them.
    std::string upper(label.word);
    for (char& c : upper) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    EXPECT_LT(NextLabelMark(upper, 0, upper.size()), upper.size()) << upper;
  }
}

}  // namespace
}  // namespace venmark

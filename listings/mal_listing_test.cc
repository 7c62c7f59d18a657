#include "listings/mal_listing.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "listings/block_listing.h"
#include "scan/mac.h"

namespace venmark {
namespace {

using Names = std::vector<std::string>;

// The names of key, "00-1A-2B".
Names Lookup(const MalListing& ma_l, std::string_view key) {
  std::string digits(key);
  std::erase(digits, '-');
  Names names;
  const auto prefix = static_cast<std::uint32_t>(*mac::ParseHex(digits));
  for (const std::string_view name : ma_l.Find(prefix))
    names.emplace_back(name);
  return names;
}

// The head of a real listing, lines ending in CR LF.
constexpr std::string_view kListing =
    "OUI/MA-L                                                    "
    "Organization\r\n"
    "company_id                                                  "
    "Organization\r\n"
    "                                                            Address\r\n"
    "\r\n"
    "00-22-72   (hex)\t\tAmerican Micro-Fuel Device Corp.\r\n"
    "002272     (base 16)\t\tAmerican Micro-Fuel Device Corp.\r\n"
    "\t\t\t\t2181 Buchanan Loop\r\n"
    "\t\t\t\tFerndale  WA  98248\r\n"
    "\t\t\t\tUS\r\n"
    "\r\n"
    "00-D0-EF   (hex)\t\tIGT\r\n"
    "00D0EF     (base 16)\t\tIGT\r\n";

TEST(MalListingTest, ReadsRecordLinesOfARealListing) {
  const MalListing ma_l = MalListing::Parse(kListing);
  EXPECT_EQ(ma_l.record_count(), 2u);
  EXPECT_EQ(Lookup(ma_l, "00-22-72"),
            Names{"American Micro-Fuel Device Corp."});
  EXPECT_EQ(Lookup(ma_l, "00-D0-EF"), Names{"IGT"});
  EXPECT_EQ(Lookup(ma_l, "00-22-73"), Names{});
}

// A byte-order mark an editor put before the first record hides none, in
// either kind of listing, looked up directly or through the index.
TEST(MalListingTest, AByteOrderMarkHidesNoRecord) {
  const std::string marked =
      "\xEF\xBB\xBF"
      "00-00-09   (hex)\t\tFirst\r\n";
  for (const bool indexed : {false, true}) {
    const MalListing ma_l = MalListing::Parse(marked);
    if (indexed) ma_l.Index();
    EXPECT_EQ(Lookup(ma_l, "00-00-09"), Names{"First"}) << indexed;
  }
  const BlockListing blocks = BlockListing::Parse(
      "\xEF\xBB\xBF"
      "70-B3-D5   (hex)\t\tFirst Block\r\n"
      "F2F000-F2FFFF     (base 16)\t\tFirst Block\r\n");
  EXPECT_EQ(blocks.record_count(), 1u);
  std::vector<std::string_view> names;
  EXPECT_TRUE(blocks.Find(0x70B3D5F2F001, &names).has_value());
  EXPECT_EQ(names, std::vector<std::string_view>{"First Block"});
}

TEST(MalListingTest, KeepsEveryRecordOfAPrefixInFileOrder) {
  const MalListing ma_l = MalListing::Parse(
      "08-00-30   (hex)\t\tNetwork Research Corporation\r\n"
      "00-00-01   (hex)\t\tXerox\r\n"
      "08-00-30   (hex)\t\tCERN\r\n"
      "08-00-30   (hex)\t\tRoyal Melbourne Inst of Tech\r\n");
  EXPECT_EQ(Lookup(ma_l, "08-00-30"),
            (Names{"Network Research Corporation", "CERN",
                   "Royal Melbourne Inst of Tech"}));
  EXPECT_EQ(ma_l.record_count(), 4u);

  // Among hundreds of other records too, which an unstable sort would mix.
  std::string listing;
  Names expected;
  for (int i = 0; i < 600; ++i) {
    const bool ours = i % 3 == 0;
    char line[64];
    std::snprintf(line, sizeof line, "%s   (hex)\t\tOwner %d\r\n",
                  ours ? "08-00-30" : (i % 2 ? "00-00-01" : "FF-00-00"), i);
    listing += line;
    if (ours) expected.push_back("Owner " + std::to_string(i));
  }
  EXPECT_EQ(Lookup(MalListing::Parse(listing), "08-00-30"), expected);
}

// Prefixes from all over the 24 bits, at the edges of the index's buckets
// and beyond them, some given twice, in random order: each is found, its
// names in file order, and a prefix next to one is not.
TEST(MalListingTest, FindsEveryPrefixThroughTheIndex) {
  std::mt19937 rng(5);
  std::vector<std::uint32_t> prefixes = {0x000000, 0x000FFF, 0x001000, 0x7FFFFF,
                                         0x800000, 0xFFF000, 0xFFFFFF};
  for (int i = 0; i < 3000; ++i) prefixes.push_back(rng() & 0xFFFFFF);
  std::string listing;
  std::map<std::uint32_t, Names> expected;
  for (int i = 0; i < 4000; ++i) {
    const std::uint32_t prefix = prefixes[rng() % prefixes.size()];
    char line[64];
    std::snprintf(line, sizeof line, "%02X-%02X-%02X   (hex)\t\tOwner %d\r\n",
                  prefix >> 16, prefix >> 8 & 0xFF, prefix & 0xFF, i);
    listing += line;
    expected[prefix].push_back("Owner " + std::to_string(i));
  }
  const MalListing ma_l = MalListing::Parse(listing);
  ma_l.Index();
  for (const auto& [prefix, names] : expected) {
    ASSERT_EQ(Lookup(ma_l, mac::OuiKey(std::uint64_t{prefix} << 24)), names);
    if (!expected.contains(prefix ^ 1)) {
      ASSERT_TRUE(ma_l.Find(prefix ^ 1).empty()) << prefix;
    }
  }
}

TEST(MalListingTest, RecognisesRecordsOnlyByTheMarkerColumns) {
  const MalListing ma_l = MalListing::Parse(
      "  00-11-22   (hex)\t\tShifted Right\r\n"  // "(hex)" too far right
      "00-11-22  (hex)\t\tShifted Left\r\n"      // too far left
      "00-11-22   (HEX)\t\tUpper Marker\r\n"
      "00-11-2   (hex)\r\n"  // shorter than 16
      "00-aa-bb   (hex)\t\tLower Case Prefix\r\n"
      "00:11:22   (hex)\t\tColon Prefix\r\n"
      "00-AA-BB   (hex)\t\tUpper Case Prefix\r\n");
  // The same answers from a search of the text and, past the first few
  // look-ups, from the index.
  for (int i = 0; i <= MalListing::kDirectLookups; ++i) {
    EXPECT_EQ(Lookup(ma_l, "00-11-22"), Names{});
    EXPECT_EQ(Lookup(ma_l, "00-AA-BB"), Names{"Upper Case Prefix"});
  }
  // Unmatchable records still count as records of the listing.
  EXPECT_EQ(ma_l.record_count(), 3u);
}

TEST(MalListingTest, EndsLinesAtCrLfAloneCrOrAloneLf) {
  for (const std::string eol : {"\r\n", "\n", "\r"}) {
    SCOPED_TRACE(eol == "\n" ? "LF" : eol == "\r" ? "CR" : "CR LF");
    const MalListing ma_l = MalListing::Parse(
        "header" + eol + "00-00-0C   (hex)\t\tCisco Systems, Inc" + eol +
        "00000C     (base 16)\t\tCisco Systems, Inc" + eol + eol +
        "00-50-56   (hex)\t\tVMware, Inc.");  // no terminator at the end
    for (int i = 0; i <= MalListing::kDirectLookups; ++i) {
      EXPECT_EQ(Lookup(ma_l, "00-00-0C"), Names{"Cisco Systems, Inc"});
      EXPECT_EQ(Lookup(ma_l, "00-50-56"), Names{"VMware, Inc."});
    }
    EXPECT_TRUE(ma_l.HasRecord());
  }
}

TEST(MalListingTest, TakesNamesAsTheyStand) {
  using namespace std::string_literals;
  const MalListing ma_l = MalListing::Parse(
      "00-00-01   (hex)\r\n"      // no name at all
      "00-00-02   (hex)\t\t\r\n"  // empty name
      "00-00-03   (hex)\t\t  Spaced  Name \r\n"
      "00-00-04   (hex)\t\tNUL\0Inside\r\n"s
      "00-0\0-05   (hex)\t\tNUL In Prefix\r\n"s
      "00-00-06   (hex)\t\tПример Сетей\r\n"         // UTF-8
      "00-00-07   (hex)\t\tM\xfcller \x80 GmbH\r\n"  // Windows-1252
      "00-00-08   (hex)\t\tBad \x81 Byte\r\n");
  EXPECT_EQ(Lookup(ma_l, "00-00-01"), Names{""});
  EXPECT_EQ(Lookup(ma_l, "00-00-02"), Names{""});
  EXPECT_EQ(Lookup(ma_l, "00-00-03"), Names{"  Spaced  Name "});
  EXPECT_EQ(Lookup(ma_l, "00-00-04"), Names{"NUL\0Inside"s});
  EXPECT_EQ(Lookup(ma_l, "00-00-05"), Names{});
  EXPECT_EQ(ma_l.record_count(), 8u);
  EXPECT_EQ(Lookup(ma_l, "00-00-06"), Names{"Пример Сетей"});
  EXPECT_EQ(Lookup(ma_l, "00-00-07"), Names{"Müller € GmbH"});
  EXPECT_EQ(Lookup(ma_l, "00-00-08"), Names{"Bad \uFFFD Byte"});
  // A record whose marker ends the text, with no name and no line break:
  // alike from a search of the text and from the index.
  const MalListing last = MalListing::Parse(
      "00-00-01   (hex)\t\tA\n"
      "00-00-09   (hex)");
  for (int i = 0; i <= MalListing::kDirectLookups; ++i) {
    EXPECT_EQ(Lookup(last, "00-00-09"), Names{""});
  }
}

TEST(MalListingTest, EmptyListingKnowsNothing) {
  const MalListing ma_l = MalListing::Parse("");
  EXPECT_EQ(ma_l.record_count(), 0u);
  EXPECT_EQ(Lookup(ma_l, "00-00-00"), Names{});
}

class MalListingFileTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        std::filesystem::temp_directory_path() /
        ("venmark-db-" +
         std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         "-" + testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_;
};

TEST_F(MalListingFileTest, LoadsAFileAndSurvivesBeingMoved) {
  const auto path = dir_ / "base.dat";
  std::ofstream(path, std::ios::binary)
      << kListing << "00-00-09   (hex)\t\t\xe9t\xe9\r\n";
  std::optional<MalListing> loaded;
  {
    Result<MalListing, ReadFailure> read = MalListing::Load(path.string());
    ASSERT_TRUE(read) << read.problem().error_number;
    loaded.emplace(std::move(*read));
  }
  // Names must stay valid when the database changes hands.
  const MalListing ma_l = std::move(*loaded);
  loaded.reset();
  EXPECT_EQ(Lookup(ma_l, "00-D0-EF"), Names{"IGT"});
  EXPECT_EQ(Lookup(ma_l, "00-00-09"), Names{"été"});
}

TEST_F(MalListingFileTest, ReportsAMissingOrUnreadableFileByItsErrno) {
  const std::string missing = (dir_ / "base.dat").string();
  const Result<MalListing, ReadFailure> none = MalListing::Load(missing);
  ASSERT_FALSE(none);
  EXPECT_EQ(none.problem().kind, ReadFailure::Kind::kSystem);
  EXPECT_EQ(none.problem().error_number, ENOENT);

  const Result<MalListing, ReadFailure> folder =
      MalListing::Load(dir_.string());
  ASSERT_FALSE(folder);
  EXPECT_EQ(folder.problem().error_number, EISDIR);
}

}  // namespace
}  // namespace venmark

#include "listings/listing_set.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "listings/result_rows.h"
#include "testing/listings.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;

// A companion listing as the IEEE lays out MA-M and MA-S: records of a
// "(hex)" line, a "(base 16)" line and address lines.
std::string Blocks(const std::vector<std::string>& records) {
  std::string text =
      "OUI                                                         "
      "Organization\r\nOUI-36/MA-S Range\r\n\r\n";
  for (const std::string& record : records) text += record + "\r\n";
  return text;
}

std::string Record(const char* prefix, const char* range, const char* name) {
  return std::string(prefix) + "   (hex)\t\t" + name + "\r\n" + range +
         "     (base 16)\t\t" + name + "\r\n\t\t\t\tSomewhere\r\n";
}

// The IAB listing pads every field with spaces instead.
std::string WideRecord(const char* prefix, const char* range,
                       const char* name) {
  return std::string(prefix) + "                      (hex)" +
         "                         " + name + "                    \r\n" +
         range + "                 (base 16)                     " + name +
         "   \r\n";
}

constexpr char kMaL[] =
    "70-B3-D5   (hex)\t\tIEEE Registration Authority\r\n"
    "00-50-C2   (hex)\t\tIEEE Registration Authority\r\n"
    "00-1A-2B   (hex)\t\tExample Networks\r\n";

ListingSet TestSet() {
  return ListingSet(
      MalListing::Parse(kMaL),
      BlockListing::Parse(
          Blocks({Record("70-B3-D5", "F2F000-F2FFFF", "TELEPLATFORMS"),
                  Record("70-B3-D5", "719000-719FFF", "2M Technology"),
                  Record("00-50-C2", "7D5000-7D5FFF", "Twin A")})),
      BlockListing::Parse(Blocks(
          {WideRecord("00-50-C2", "7D5000-7D5FFF", "DEUTA-WERKE GmbH")})),
      BlockListing::Parse(
          Blocks({Record("70-B3-D5", "F00000-FFFFFF", "Wide Block"),
                  Record("70-B3-D5", "000000-0FFFFF", "Low Block")})));
}

std::string Search(const ListingSet& set, const std::string& text) {
  return SearchText(text, set, TestStyle());
}

TEST(ListingSetTest, TheSmallestBlockHoldingTheMacAnswers) {
  const ListingSet set = TestSet();
  const struct {
    const char* mac;
    const char* lines;
  } cases[] = {
      // MA-S beats the MA-M block around it and the MA-L record.
      {"70:b3:d5:f2:f0:01", "70:b3:d5:f2:f0:01 - TELEPLATFORMS\n"},
      {"70-B3-D5-71-9F-FF", "70-B3-D5-71-9F-FF - 2M Technology\n"},
      // Outside every MA-S block, inside an MA-M one.
      {"70b3.d5f3.0000", "70b3.d5f3.0000 - Wide Block\n"},
      {"70b3-d50f-ffff", "70b3-d50f-ffff - Low Block\n"},
      // In the RA prefix but in no block: the MA-L record answers.
      {"70:b3:d5:50:00:00",
       "70:b3:d5:50:00:00 - IEEE Registration Authority\n"},
      // Blocks of one size answer together, MA-S before IAB.
      {"00-50-c2-7d-50-01",
       "00-50-c2-7d-50-01 - Twin A\n00-50-c2-7d-50-01 - DEUTA-WERKE GmbH\n"},
      {"00:1a:2b:00:00:01", "00:1a:2b:00:00:01 - Example Networks\n"},
      {"00:1a:2c:00:00:01", "00:1a:2c:00:00:01 - no vendor\n"},
  };
  // Once by searching the texts, once more from the indexes built after
  // the first few look-ups.
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& c : cases) EXPECT_EQ(Search(set, c.mac), c.lines) << c.mac;
  }

  Assignment assignment;
  for (const auto& [mac, digits] :
       std::vector<std::pair<std::string, std::string>>{
           {"70:b3:d5:f2:f0:01", "70B3D5F2F"},
           {"70:b3:d5:f3:00:00", "70B3D5F"},
           {"00:1a:2b:00:00:01", "001A2B"},
           {"00:1a:2c:00:00:01", ""}}) {
    set.Resolve(FindMacs(mac).at(0), &assignment);
    EXPECT_EQ(assignment.digits, digits) << mac;
  }
}

TEST(ListingSetTest, ReadsCompanionRecordsByTheirFields) {
  BlockListing blocks = BlockListing::Parse(
      Blocks({WideRecord("00-50-C2", "7D5000-7D5FFF", "Padded Name"),
              Record("00-50-C2", "ABC000-ABCFFF", "M\xfcller"),
              // A "(hex)" line whose next line is no range is no record.
              "00-50-C2   (hex)\t\tNo Range\r\n\r\n"
              "ABD000-ABDFFF     (base 16)\t\tNo Range",
              "00-50-C2   (hex)\t\tBackwards\r\n"
              "ABDFFF-ABD000     (base 16)\t\tBackwards",
              "00-50-C   (hex)\t\tShort\r\nABE000-ABEFFF     (base 16)"}));
  EXPECT_EQ(blocks.record_count(), 2u);
  const ListingSet set(MalListing::Parse(kMaL), std::move(blocks));
  EXPECT_EQ(Search(set, "00-50-c2-7d-5f-ff 00-50-c2-ab-c0-00"),
            "00-50-c2-7d-5f-ff - Padded Name\n"
            "00-50-c2-ab-c0-00 - Müller\n");
}

// A block listing answers alike from searches of its text (the first few
// look-ups) and from its index: a record at the very start behind a blank,
// one in lower case, one after a lone CR; a prefix that stands only in a
// name, or after other text on its line, makes no record.
TEST(ListingSetTest, BlocksAnswerAlikeFromTheTextAndTheIndex) {
  const BlockListing blocks = BlockListing::Parse(
      " 70-B3-D5   (hex)\t\tFirst\r\n"
      "F3F000-F3FFFF     (base 16)\t\tFirst\r"
      "70-b3-d5   (hex)\t\tLower\n"
      "A00000-A00FFF     (base 16)\t\tLower\n"
      "00-50-C2   (hex)\t\tNamed 70-B3-D5 inside\n"
      "100000-100FFF     (base 16)\t\tNamed\n"
      "x 70-B3-D5   (hex)\t\tAfter Text\n"
      "200000-200FFF     (base 16)\t\tAfter Text\n");
  const struct {
    const char* mac;
    std::vector<std::string_view> names;
  } cases[] = {{"70:b3:d5:f3:f0:01", {"First"}},
               {"70:b3:d5:a0:00:01", {"Lower"}},
               {"00:50:c2:10:00:01", {"Named 70-B3-D5 inside"}},
               {"70:b3:d5:10:00:01", {}},
               {"70:b3:d5:20:00:01", {}}};
  for (int round = 0; round <= BlockListing::kDirectLookups; ++round) {
    for (const auto& c : cases) {
      std::vector<std::string_view> names;
      blocks.Find(FindMacs(c.mac).at(0).address, &names);
      EXPECT_EQ(names, c.names) << c.mac << ", look-up round " << round;
    }
  }
}

class ListingSetFileTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("venmark-set-" + std::to_string(std::random_device()()));
    ASSERT_TRUE(fs::create_directory(dir_));
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string Path(const std::string& name) { return (dir_ / name).string(); }

  fs::path dir_;
};

TEST_F(ListingSetFileTest, FindsCompanionsByTheNameOfTheMaLListing) {
  const std::string mas = Blocks({Record("70-B3-D5", "F2F000-F2FFFF", "S")});
  const std::string iab = Blocks({Record("70-B3-D5", "F2F000-F2FFFF", "I")});
  const std::string mam = Blocks({Record("70-B3-D5", "F00000-FFFFFF", "M")});
  Write("oui.txt", kMaL);
  Write("oui36.txt", mas);
  Write("iab.txt", iab);
  Write("mam.txt", mam);
  Write("base.dat", kMaL);
  Write("base-mam.dat", mam);
  const Result<ListingSet, ListingProblem> ieee =
      ListingSet::Load(Path("oui.txt"));
  ASSERT_TRUE(ieee) << ieee.problem().path;
  EXPECT_EQ(Search(*ieee, "70b3.d5f2.f001"),
            "70b3.d5f2.f001 - S\n70b3.d5f2.f001 - I\n");
  const Result<ListingSet, ListingProblem> ours =
      ListingSet::Load(Path("base.dat"));
  ASSERT_TRUE(ours) << ours.problem().path;
  EXPECT_EQ(Search(*ours, "70b3.d5f2.f001"), "70b3.d5f2.f001 - M\n");
  EXPECT_FALSE(ours->has(ListingKind::kMaS));
  EXPECT_TRUE(ours->has(ListingKind::kMaM));
  // Each kind by its own name, beside Debian's and beside ours; Debian
  // has no CID listing, so none is looked for beside oui.txt.
  using enum ListingKind;
  const struct {
    const char* ma_l;
    std::vector<std::pair<ListingKind, const char*>> files;
  } names[] = {
      {"oui.txt",
       {{kMaL, "oui.txt"},
        {kMaS, "oui36.txt"},
        {kIab, "iab.txt"},
        {kMaM, "mam.txt"}}},
      {"base.dat",
       {{kMaL, "base.dat"},
        {kMaS, "base-mas.dat"},
        {kIab, "base-iab.dat"},
        {kMaM, "base-mam.dat"},
        {kCid, "base-cid.dat"}}},
      {"listing.txt",
       {{kMaL, "listing.txt"},
        {kMaS, "base-mas.dat"},
        {kIab, "base-iab.dat"},
        {kMaM, "base-mam.dat"},
        {kCid, "base-cid.dat"}}},
  };
  for (const auto& c : names) {
    const std::vector<ListingFile> files = ListingFiles(Path(c.ma_l));
    ASSERT_EQ(files.size(), c.files.size()) << c.ma_l;
    for (std::size_t i = 0; i < files.size(); ++i) {
      EXPECT_EQ(files[i].kind, c.files[i].first) << c.ma_l;
      EXPECT_EQ(files[i].path, Path(c.files[i].second)) << c.ma_l;
    }
  }
}

TEST_F(ListingSetFileTest, RefusesUnreadableOrEmptyListingsNamingThem) {
  using Kind = ReadFailure::Kind;
  const auto refused = [&](ListingKind which, const std::string& name,
                           Kind kind, int error_number = 0) {
    const Result<ListingSet, ListingProblem> set =
        ListingSet::Load(Path("base.dat"));
    ASSERT_FALSE(set) << name;
    const ListingProblem& problem = set.problem();
    EXPECT_EQ(problem.kind, which) << name;
    EXPECT_EQ(problem.path, Path(name));
    EXPECT_EQ(problem.why.kind, kind) << name;
    EXPECT_EQ(problem.why.error_number, error_number) << name;
  };
  refused(ListingKind::kMaL, "base.dat", Kind::kSystem, ENOENT);
  fs::create_directory(dir_ / "base.dat");
  refused(ListingKind::kMaL, "base.dat", Kind::kSystem, EISDIR);
  fs::remove(dir_ / "base.dat");
  Write("base.dat", "<html>Request Rejected</html>\r\n");
  refused(ListingKind::kMaL, "base.dat", Kind::kNoRecord);
  Write("base.dat", kMaL);
  Write("base-iab.dat", "");
  refused(ListingKind::kIab, "base-iab.dat", Kind::kNoRecord);
  fs::remove(dir_ / "base-iab.dat");
  fs::create_directory(dir_ / "base-mas.dat");
  refused(ListingKind::kMaS, "base-mas.dat", Kind::kSystem, EISDIR);
  fs::remove(dir_ / "base-mas.dat");
  // A file past the size limit, sparse so it costs no disk.
  std::FILE* huge = std::fopen(Path("base-mam.dat").c_str(), "wb");
  ASSERT_NE(huge, nullptr);
  std::fseek(huge, static_cast<long>(kMaxListingBytes), SEEK_SET);
  std::fputc('\n', huge);
  std::fclose(huge);
  refused(ListingKind::kMaM, "base-mam.dat", Kind::kTooLarge);
  // Exactly at the limit is still read (and found to hold no record).
  fs::resize_file(dir_ / "base-mam.dat", kMaxListingBytes);
  refused(ListingKind::kMaM, "base-mam.dat", Kind::kNoRecord);
  fs::remove(dir_ / "base-mam.dat");
  Write("base-cid.dat", "<html>Request Rejected</html>\r\n");
  refused(ListingKind::kCid, "base-cid.dat", Kind::kNoRecord);
  fs::remove(dir_ / "base-cid.dat");
  EXPECT_TRUE(ListingSet::Load(Path("base.dat")));
}

// A special address no listing knows is noted; one a listing knows is
// named.
TEST(ListingSetTest, NotesSpecialAddressesNoListingKnows) {
  const ListingSet set(MalListing::Parse(
      kMaL + std::string("01-00-5E   (hex)\t\tICANN, IANA Department\r\n")));
  // Found lines never carry a note.
  EXPECT_EQ(
      Search(set, "01:00:5e:7f:ff:ff 01:00:5e:80:00:00 ba:12:34:56:78:9a"),
      "01:00:5e:7f:ff:ff - ICANN, IANA Department\n"
      "01:00:5e:80:00:00 - ICANN, IANA Department\n"
      "ba:12:34:56:78:9a - no vendor "
      "(local)\n");
  // The null address is no one's, whatever the listing says of 00-00-00,
  // in any notation.
  const ListingSet xerox(MalListing::Parse(
      kMaL + std::string("00-00-00   (hex)\t\tXEROX CORPORATION\r\n")));
  EXPECT_EQ(Search(xerox, "00-00-00-00-00-00 0:0:0:0:0:0 0000.0000.0000"),
            "00-00-00-00-00-00 - no vendor (null)\n"
            "0:0:0:0:0:0 - no vendor (null)\n"
            "0000.0000.0000 - no vendor (null)\n");
  // Nor does it take the answer of the MAC named before it.
  EXPECT_EQ(Search(xerox, "00:1a:2b:00:00:01 00:00:00:00:00:00"),
            "00:1a:2b:00:00:01 - Example Networks\n"
            "00:00:00:00:00:00 - no vendor (null)\n");
  const ListingSet bare(MalListing::Parse(kMaL));
  EXPECT_EQ(Search(bare, "01:00:5e:00:00:fb 01:00:5e:80:00:00"),
            "01:00:5e:00:00:fb - no vendor (IPv4 multicast)\n01:00:5e:80:00:00 "
            "- no vendor "
            "(multicast)\n");
}

}  // namespace
}  // namespace venmark

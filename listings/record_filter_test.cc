#include "listings/record_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "listings/listing_set.h"
#include "listings/paths.h"
#include "listings/result_rows.h"
#include "scan/mac_scanner.h"
#include "testing/listings.h"

namespace venmark {
namespace {

// Records as the IEEE lays them out, and the ways they may stand: a prefix
// twice, lower case, padded IAB fields, a lone CR, blanks before the key,
// a key inside a name, a nameless last record without a line end.
const char kMaL[] =
    "\xEF\xBB\xBF"
    "00-1A-2B   (hex)\t\tFirst at the start\r\n"
    "001A2B     (base 16)\t\tFirst at the start\r\n\r\n"
    "70-B3-D5   (hex)\t\tIEEE Registration Authority\r\n"
    "00-50-56   (hex)\t\tVMware, Inc.\r\n\t\t\t\t3401 Hillview Avenue\r\n"
    "00-50-56   (hex)\t\tVMware again\r"
    "00-aa-bb   (hex)\t\tlower case\r\n"
    "00-0C-29   (hex)\t\tSays 00-50-56 inside\r\n"
    "AA-00-04   (hex)\t\tDIGITAL EQUIPMENT CORPORATION\r\n"
    "00-11-22   (hex)";
const char kBlocks[] =
    "OUI                                                         "
    "Organization\r\nOUI-36/MA-S Range\r\n\r\n"
    "70-B3-D5   (hex)\t\tTELEPLATFORMS\r\nF2F000-F2FFFF     (base 16)\t\t"
    "TELEPLATFORMS\r\n\t\t\t\tSomewhere\r\n\r\n"
    "  70-B3-D5                      (hex)                         Wide\r\n"
    "719000-719FFF                 (base 16)                     Wide\r\n"
    "00-50-C2   (hex)\t\tTwin A\r\n7D5000-7D5FFF     (base 16)\t\tTwin A\r\n"
    "70-b3-d5   (hex)\t\tLower\r\nF20000-F20FFF     (base 16)\t\tLower\r\n";

// A listing read a piece at a time, pieces of every size from a few
// bytes to the whole, keeps what answers each MAC as the whole listing
// does, and tells whether it holds a record.
TEST(RecordFilterTest, KeepsWhatAnswersAsTheWholeAtEveryPieceSize) {
  const TestFolder folder;
  const std::vector<std::string> macs = {
      "00:1a:2b:00:00:01", "00:50:56:00:00:01", "00:aa:bb:00:00:01",
      "00:0c:29:00:00:01", "aa:00:04:00:0c:01", "00:11:22:00:00:01",
      "70:b3:d5:f2:f0:01", "70:b3:d5:71:90:01", "70:b3:d5:f2:00:01",
      "00:50:c2:7d:50:01", "00:99:99:00:00:01"};
  std::vector<std::uint32_t> prefixes;
  for (const std::string& mac : macs) {
    prefixes.push_back(
        static_cast<std::uint32_t>(FindMacs(mac).at(0).address >> 24));
  }
  for (const auto& [kind, text] :
       {std::pair{ListingKind::kMaL, std::string(kMaL)},
        std::pair{ListingKind::kMaS, std::string(kBlocks)}}) {
    WriteWholeFile(folder / "listing", text);
    const ListingSet whole =
        kind == ListingKind::kMaL
            ? ListingSet(MalListing::Parse(text))
            : ListingSet(MalListing::Parse(kMaL), BlockListing::Parse(text));
    for (const std::size_t piece : {1, 7, 40, 64, 200, 4096}) {
      RecordFilter filter(kind, prefixes);
      ASSERT_TRUE(FilterRegularFile(Utf8FromPath(folder / "listing"), 1 << 20,
                                    &filter, piece));
      EXPECT_TRUE(filter.saw_record()) << piece;
      const ListingSet kept =
          kind == ListingKind::kMaL
              ? ListingSet(MalListing::Parse(filter.kept()))
              : ListingSet(MalListing::Parse(kMaL),
                           BlockListing::Parse(filter.kept()));
      for (const std::string& mac : macs) {
        EXPECT_EQ(SearchText(mac, kept, TestStyle()),
                  SearchText(mac, whole, TestStyle()))
            << mac << " in pieces of " << piece;
      }
    }
  }
  // A file of no record says so, whatever is asked.
  WriteWholeFile(folder / "listing", "<html>00-1A-2B (hex)</html>\r\n");
  RecordFilter filter(ListingKind::kMaL, prefixes);
  ASSERT_TRUE(
      FilterRegularFile(Utf8FromPath(folder / "listing"), 1 << 20, &filter, 8));
  EXPECT_FALSE(filter.saw_record());
}

// The set of a few prefixes answers their MACs in every format as the
// whole set does, from files of every kind; a broken file beside it fails
// alike.
TEST(RecordFilterTest, ASetOfAFewPrefixesAnswersAsTheWhole) {
  const TestFolder folder;
  for (const ListingKindRow& row : kListingKinds) {
    WriteWholeFile(folder / std::string(row.our_name),
                   MakeKindListing(row.kind, 300, std::string(row.name)));
  }
  const std::string text =
      "00-00-01-12-34-56 70-B3-D5-01-11-02 0a:00:05:12:34:56 00:01:2c:00:00:01 "
      "0a:01:2c:00:00:01 fe80::200:2ff:fe00:1 02:00:00:00:00:01";
  std::vector<std::uint32_t> prefixes;
  for (const MacFinding& finding : FindMacs(text)) {
    prefixes.push_back(static_cast<std::uint32_t>(finding.address >> 24));
  }
  const std::string base = Utf8FromPath(folder / "base.dat");
  const Result<ListingSet, ListingProblem> whole = ListingSet::Load(base);
  const Result<ListingSet, ListingProblem> few =
      ListingSet::LoadFor(base, prefixes);
  ASSERT_TRUE(whole && few);
  for (const ResultFormat* format : kResultFormats) {
    EXPECT_EQ(SearchText(text, *few, TestStyle(*format)),
              SearchText(text, *whole, TestStyle(*format)));
  }
  EXPECT_EQ(few->record_count(ListingKind::kMaL), 2u);
  WriteWholeFile(folder / "base-cid.dat", "<html>Request Rejected</html>\n");
  const Result<ListingSet, ListingProblem> broken =
      ListingSet::LoadFor(base, prefixes);
  ASSERT_FALSE(broken);
  EXPECT_EQ(broken.problem().kind, ListingKind::kCid);
  EXPECT_EQ(broken.problem().why.kind, ReadFailure::Kind::kNoRecord);
}

}  // namespace
}  // namespace venmark

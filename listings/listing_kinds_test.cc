#include "listings/listing_kinds.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "listings/listing_set.h"
#include "listings/paths.h"
#include "listings/result_rows.h"
#include "scan/mac_scanner.h"
#include "testing/listings.h"

namespace venmark {
namespace {

// The table entry by entry: the IEEE's paths and Debian's names are what
// the update fetches and the scripts seed from; ours are what users have
// on disk.
TEST(ListingKindsTest, EachKindIsWhereTheIeeeDebianAndWeKeepIt) {
  using enum ListingKind;
  using enum RecordShape;
  using enum AddressScope;
  const ListingKindRow expected[] = {
      {kMaL, "MA-L", "oui/oui.txt", "oui.txt", "base.dat", kPrefix, 24,
       kUniversal, true},
      {kMaS, "MA-S", "oui36/oui36.txt", "oui36.txt", "base-mas.dat", kBlocks,
       36, kUniversal, false},
      {kIab, "IAB", "iab/iab.txt", "iab.txt", "base-iab.dat", kBlocks, 36,
       kUniversal, false},
      {kMaM, "MA-M", "oui28/mam.txt", "mam.txt", "base-mam.dat", kBlocks, 28,
       kUniversal, false},
      {kCid, "CID", "cid/cid.txt", "", "base-cid.dat", kPrefix, 24, kLocal,
       false},
  };
  ASSERT_EQ(std::size(expected), kListingKindCount);
  for (std::size_t i = 0; i < kListingKindCount; ++i) {
    const ListingKindRow& row = kListingKinds[i];
    const ListingKindRow& want = expected[i];
    EXPECT_EQ(row.kind, want.kind) << i;
    EXPECT_EQ(&RowOf(row.kind), &row) << i;
    EXPECT_EQ(KindName(row.kind), want.name) << i;
    EXPECT_EQ(row.ieee_path, want.ieee_path) << row.name;
    EXPECT_EQ(row.debian_name, want.debian_name) << row.name;
    EXPECT_EQ(row.our_name, want.our_name) << row.name;
    EXPECT_EQ(row.shape, want.shape) << row.name;
    EXPECT_EQ(row.prefix_bits, want.prefix_bits) << row.name;
    EXPECT_EQ(row.scope, want.scope) << row.name;
    EXPECT_EQ(row.required, want.required) << row.name;
  }
}

// Every kind of the table put beside base.dat is found, read in its shape
// and answers for a MAC of its own.
TEST(ListingKindsTest, EachKindBesideBaseDatIsLoadedAndAnswers) {
  const TestFolder folder;
  for (const ListingKindRow& row : kListingKinds) {
    WriteWholeFile(folder / std::string(row.our_name),
                   MakeKindListing(row.kind, 3, std::string(row.name)));
  }
  const Result<ListingSet, ListingProblem> set =
      ListingSet::Load(Utf8FromPath(folder / "base.dat"));
  ASSERT_TRUE(set) << set.problem().path;
  // A MAC in each kind's second record: MakeKindListing's 00-00-01 for
  // MA-L, 70-B3-D5-001… for the blocks, 0A-00-01 for the CID.
  const std::pair<ListingKind, const char*> asks[] = {
      {ListingKind::kMaL, "00-00-01-12-34-56"},
      {ListingKind::kMaS, "70-B3-D5-00-11-02"},
      {ListingKind::kCid, "0A-00-01-12-34-56"},
  };
  for (const ListingKindRow& row : kListingKinds) {
    EXPECT_TRUE(set->has(row.kind)) << row.name;
    EXPECT_EQ(set->record_count(row.kind), 3u) << row.name;
  }
  for (const auto& [kind, mac] : asks) {
    Assignment assignment;
    set->Resolve(FindMacs(mac).at(0), &assignment);
    ASSERT_FALSE(assignment.names.empty()) << mac;
    EXPECT_EQ(assignment.kind, kind) << mac;
    EXPECT_EQ(std::string(assignment.names[0]),
              std::string(KindName(kind)) + " 1")
        << mac;
  }
}

// A CID names a local address, with a note in every format, and never a
// universal one; an early MA-L prefix that is local (DEC's AA-00-04)
// still names its addresses where no CID does.
TEST(ListingKindsTest, ACidNamesLocalAddressesAloneInEveryFormat) {
  ListingSet set(
      MalListing::Parse("AA-00-04   (hex)\t\tDIGITAL EQUIPMENT CORPORATION\r\n"
                        "DA-A1-19   (hex)\t\tMA-L of the same digits\r\n"
                        "00-1A-2B   (hex)\t\tExample Networks\r\n"));
  set.Add(ListingKind::kCid,
          MalListing::Parse("DA-A1-19   (hex)\t\tGoogle, Inc.\r\n"
                            "00-1A-2B   (hex)\t\tNo CID is universal\r\n"));
  const auto search = [&](const ResultFormat& format) {
    return SearchText(
        "da:a1:19:12:34:56 00:1a:2b:00:00:01 aa-00-04-00-0c-01 "
        "de:a1:19:12:34:56",
        set, TestStyle(format));
  };
  EXPECT_EQ(search(ResultFormat::kText),
            "da:a1:19:12:34:56 - Google, Inc. (local, company's CID)\n"
            "00:1a:2b:00:00:01 - Example Networks\n"
            "aa-00-04-00-0c-01 - DIGITAL EQUIPMENT CORPORATION\n"
            "de:a1:19:12:34:56 - no vendor (local)\n");
  EXPECT_EQ(search(ResultFormat::kTsv),
            "da:a1:19:12:34:56\tDAA119\tGoogle, Inc.\tlocal, company's CID\t"
            "da:a1:19:12:34:56\t1\t\n"
            "00:1a:2b:00:00:01\t001A2B\tExample Networks\t\t"
            "00:1a:2b:00:00:01\t1\t\n"
            "aa-00-04-00-0c-01\tAA0004\tDIGITAL EQUIPMENT CORPORATION\t\t"
            "aa:00:04:00:0c:01\t1\t\n"
            "de:a1:19:12:34:56\t\t\tlocal\tde:a1:19:12:34:56\t1\t\n");
  const std::string json = search(ResultFormat::kJson);
  EXPECT_NE(json.find("{\"mac\":\"da:a1:19:12:34:56\",\"assignment\":"
                      "\"DAA119\",\"vendor\":\"Google, Inc.\",\"note\":"
                      "\"local, company's CID\","),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"assignment\":\"001A2B\",\"vendor\":\"Example "
                      "Networks\",\"note\":\"\""),
            std::string::npos)
      << json;
}

}  // namespace
}  // namespace venmark

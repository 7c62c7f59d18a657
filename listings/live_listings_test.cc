#include "listings/live_listings.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "listings/paths.h"
#include "scan/mac_scanner.h"
#include "testing/listings.h"

namespace venmark {
namespace {

// The name the listings give 00-00-01-…, or empty.
std::string NameOf(const LiveListings& live) {
  Assignment assignment;
  live.current().Resolve(FindMacs("00-00-01-aa-bb-cc").at(0), &assignment);
  return assignment.names.empty() ? "" : std::string(assignment.names[0]);
}

// Whether a change is taken up at the second look and not at the first;
// the scans here settle at once (no quiet time).
bool TakenUpAtSecondLook(LiveListings* live) {
  if (live->Refresh()) return false;
  return live->Refresh();
}

// A scan that runs for hours takes up what an update renamed into place,
// and a file rewritten in place, whole, once it looks the same twice; a
// broken file or none keeps the listings it has.
TEST(LiveListingsTest, TakesUpReplacedListingsWholeAndKeepsGoodOnes) {
  const TestFolder folder;
  const std::string path = Utf8FromPath(folder / "base.dat");
  WriteWholeFile(folder / "base.dat", MakeListing(3, "First"));
  Result<LiveListings, ListingProblem> live =
      LiveListings::Load(path, std::chrono::milliseconds(0));
  ASSERT_TRUE(live);
  EXPECT_EQ(NameOf(*live), "First 1");
  EXPECT_FALSE(live->Refresh());  // nothing changed
  EXPECT_FALSE(live->Refresh());

  // Renamed into place, as an update does.
  WriteWholeFile(folder / "new", MakeListing(3, "Second"));
  std::filesystem::rename(folder / "new", folder / "base.dat");
  EXPECT_TRUE(TakenUpAtSecondLook(&*live));
  EXPECT_EQ(NameOf(*live), "Second 1");

  // Rewritten in place with as many bytes (cp over it): read anew. A file
  // that changed again between the looks is still being written: the
  // look after decides.
  WriteWholeFile(folder / "base.dat", MakeListing(3, "Halves"));
  EXPECT_FALSE(live->Refresh());
  WriteWholeFile(folder / "base.dat", MakeListing(4, "Thirds"));
  EXPECT_TRUE(TakenUpAtSecondLook(&*live));
  EXPECT_EQ(NameOf(*live), "Thirds 1");

  // Half copied, the writer pausing as long as it likes: never taken up,
  // however often it is looked at, until it is whole.
  const std::string next = MakeListing(4, "Fourth");
  WriteWholeFile(folder / "base.dat", next.substr(0, next.size() / 2 + 3));
  for (int look = 0; look < 4; ++look) EXPECT_FALSE(live->Refresh());
  EXPECT_EQ(NameOf(*live), "Thirds 1");
  WriteWholeFile(folder / "base.dat", next);
  EXPECT_TRUE(TakenUpAtSecondLook(&*live));
  EXPECT_EQ(NameOf(*live), "Fourth 1");

  // Each other kind put beside it counts too.
  WriteWholeFile(folder / "base-mas.dat", MakeBlockListing(2, "Block"));
  EXPECT_TRUE(TakenUpAtSecondLook(&*live));
  EXPECT_TRUE(live->current().has(ListingKind::kMaS));
  WriteWholeFile(folder / "base-cid.dat", MakeListing(2, "Company"));
  EXPECT_TRUE(TakenUpAtSecondLook(&*live));
  EXPECT_TRUE(live->current().has(ListingKind::kCid));

  // What cannot be read leaves the listings that answered, and is not
  // read again at every look.
  WriteWholeFile(folder / "base.dat", "<html>half a page</html>\n");
  EXPECT_FALSE(TakenUpAtSecondLook(&*live));
  EXPECT_FALSE(live->Refresh());
  EXPECT_EQ(NameOf(*live), "Fourth 1");
  std::filesystem::remove(folder / "base.dat");
  EXPECT_FALSE(TakenUpAtSecondLook(&*live));
  EXPECT_EQ(NameOf(*live), "Fourth 1");

  const Result<LiveListings, ListingProblem> gone = LiveListings::Load(path);
  ASSERT_FALSE(gone);
  EXPECT_EQ(gone.problem().why.error_number, ENOENT);
}

}  // namespace
}  // namespace venmark

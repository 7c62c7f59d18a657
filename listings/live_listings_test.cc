#include "listings/live_listings.h"

#include <gtest/gtest.h>

#include <filesystem>

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

// A scan that runs for hours takes up what an update renamed into place,
// and a file rewritten in place, whole; a broken file or none keeps the
// listings it has.
TEST(LiveListingsTest, TakesUpReplacedListingsWholeAndKeepsGoodOnes) {
  const TestFolder folder;
  const std::string path = Utf8FromPath(folder / "base.dat");
  WriteWholeFile(folder / "base.dat", MakeListing(3, "First"));
  ListingProblem problem;
  std::optional<LiveListings> live = LiveListings::Load(path, &problem);
  ASSERT_TRUE(live);
  EXPECT_EQ(NameOf(*live), "First 1");
  EXPECT_FALSE(live->Refresh());  // nothing changed

  // Renamed into place, as an update does.
  WriteWholeFile(folder / "new", MakeListing(3, "Second"));
  std::filesystem::rename(folder / "new", folder / "base.dat");
  EXPECT_TRUE(live->Refresh());
  EXPECT_EQ(NameOf(*live), "Second 1");

  // Rewritten in place with as many bytes (cp over it): read anew.
  WriteWholeFile(folder / "base.dat", MakeListing(3, "Thirds"));
  EXPECT_TRUE(live->Refresh());
  EXPECT_EQ(NameOf(*live), "Thirds 1");

  // A companion put beside it counts too.
  WriteWholeFile(folder / "base-mas.dat", MakeBlockListing(2, "Block"));
  EXPECT_TRUE(live->Refresh());
  EXPECT_NE(live->current().companion(BlockKind::kMaS), nullptr);

  // What cannot be read leaves the listings that answered.
  WriteWholeFile(folder / "base.dat", "<html>half a page</html>\n");
  EXPECT_FALSE(live->Refresh());
  EXPECT_EQ(NameOf(*live), "Thirds 1");
  std::filesystem::remove(folder / "base.dat");
  EXPECT_FALSE(live->Refresh());
  EXPECT_EQ(NameOf(*live), "Thirds 1");

  EXPECT_FALSE(LiveListings::Load(path, &problem));
  EXPECT_EQ(problem.why.error_number, ENOENT);
}

}  // namespace
}  // namespace venmark

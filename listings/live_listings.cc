#include "listings/live_listings.h"

#include <utility>

#include "listings/listing_places.h"

namespace venmark {

LiveListings::LiveListings(std::string path, std::unique_ptr<ListingSet> set,
                           std::vector<FileStamp> stamps)
    : path_(std::move(path)), set_(std::move(set)), stamps_(std::move(stamps)) {}

std::vector<FileStamp> LiveListings::Stamps() const {
  std::vector<FileStamp> stamps{StampOf(path_)};
  for (const CompanionFile& file : CompanionFiles(path_)) {
    stamps.push_back(StampOf(file.path));
  }
  // The administrator's names are taken up as the listings are.
  for (const std::string& file : NamesFiles(path_)) {
    stamps.push_back(StampOf(file));
  }
  return stamps;
}

std::optional<LiveListings> LiveListings::Load(const std::string& ma_l_path,
                                               ListingProblem* problem) {
  LiveListings live(ma_l_path, nullptr, {});
  // Stamped before reading: a change while it is read shows at the next
  // look.
  live.stamps_ = live.Stamps();
  std::optional<ListingSet> set = ListingSet::Load(ma_l_path, problem);
  if (!set) return std::nullopt;
  live.set_ = std::make_unique<ListingSet>(std::move(*set));
  return live;
}

bool LiveListings::Refresh() {
  std::vector<FileStamp> now = Stamps();
  if (now == stamps_) return false;
  stamps_ = std::move(now);
  ListingProblem ignored;
  std::optional<ListingSet> set = ListingSet::Load(path_, &ignored);
  if (!set) return false;
  set_ = std::make_unique<ListingSet>(std::move(*set));
  return true;
}

}  // namespace venmark

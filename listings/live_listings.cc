#include "listings/live_listings.h"

#include <utility>

#include "listings/listing_index.h"
#include "listings/listing_places.h"

namespace venmark {

LiveListings::LiveListings(std::string path, std::chrono::milliseconds quiet)
    : path_(std::move(path)), quiet_(quiet) {}

std::vector<FileStamp> LiveListings::Stamps() const {
  std::vector<FileStamp> stamps;
  for (const ListingFile& file : ListingFiles(path_)) {
    stamps.push_back(StampOf(file.path));
  }
  // The administrator's names are taken up as the listings are.
  for (const std::string& file : NamesFiles(path_)) {
    stamps.push_back(StampOf(file));
  }
  return stamps;
}

Result<LiveListings, ListingProblem> LiveListings::Load(
    const std::string& ma_l_path, std::chrono::milliseconds quiet) {
  LiveListings live(ma_l_path, quiet);
  // Stamped before reading: a change while it is read shows at the next
  // look.
  live.stamps_ = live.Stamps();
  Result<ListingSet, ListingProblem> set =
      LoadIndexed(ma_l_path, ListingIndexPath(ma_l_path));
  if (!set) return Fail(set.problem());
  live.set_ = std::make_unique<ListingSet>(std::move(*set));
  return live;
}

bool LiveListings::Refresh() {
  std::vector<FileStamp> now = Stamps();
  if (now == stamps_) {
    pending_.clear();
    return false;
  }
  // A first look at a change, or a file changed again since: a writer
  // may be at work, so the next look decides.
  const auto look = std::chrono::steady_clock::now();
  if (now != pending_) {
    pending_ = std::move(now);
    pending_since_ = look;
    return false;
  }
  if (look - pending_since_ < quiet_) return false;
  // A listing that stops inside a line is still being copied, however
  // long the writer pauses: not taken up until it is whole.
  // (The listings' stamps come first in now, in the same order.)
  const std::vector<ListingFile> files = ListingFiles(path_);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (now[i].exists && !EndsWithLineBreak(files[i].path)) return false;
  }
  stamps_ = std::move(now);
  pending_.clear();
  Result<ListingSet, ListingProblem> set =
      LoadIndexed(path_, ListingIndexPath(path_));
  if (!set) return false;
  set_ = std::make_unique<ListingSet>(std::move(*set));
  return true;
}

}  // namespace venmark

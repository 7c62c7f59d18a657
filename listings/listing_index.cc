#include "listings/listing_index.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <random>
#include <system_error>
#include <utility>
#include <vector>

#include "listings/file_read.h"
#include "listings/listing_index_format.h"
#include "listings/listing_places.h"
#include "listings/listing_places_system.h"
#include "listings/paths.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;
using listing_index_internal::Hash;

// Far more than the IEEE's listings make; a larger file is not ours.
constexpr std::size_t kMaxIndexBytes = std::size_t{64} << 20;

// Whether the listing file is still the version stamped, or still absent.
bool Current(const ListingFile& file, const FileStamp& stamp) {
  if (StampOf(file.path) != stamp) return false;
  // A broken link stamps as absent, yet must fail as it fails to read.
  return stamp.exists || !Present(file.path);
}

// Whether every listing file of set was written and changed at least
// settled_time ago.
bool Settled(const std::vector<ListingFile>& files, const ListingSet& set,
             std::chrono::nanoseconds settled_time) {
  const std::int64_t now = file_read_internal::NowNs();
  const std::int64_t settled = settled_time.count();
  for (const ListingFile& file : files) {
    const FileStamp& stamp = set.stamp(file.kind);
    if (!stamp.exists) continue;
    if (now - stamp.modified_ns < settled || now - stamp.changed_ns < settled) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string ListingIndexPath(const std::string& ma_l_path) {
  const fs::path folder = places_internal::UserCacheFolder();
  if (folder.empty()) return {};
  // One index for each MA-L listing in use, named by a hash of its path.
  const std::string absolute =
      places_internal::Absolute(PathFromUtf8(ma_l_path));
  char name[32];
  std::snprintf(name, sizeof name, "listings-%016llx.idx",
                static_cast<unsigned long long>(Hash(absolute)));
  return Utf8FromPath(folder / name);
}
std::optional<ListingSet> ReadListingIndex(const std::string& index_path,
                                           const std::string& ma_l_path) {
  Result<FileBytes, ReadFailure> read =
      ReadRegularFile(index_path, kMaxIndexBytes, Content::kBytes);
  if (!read) return std::nullopt;
  try {
    return listing_index_internal::DecodeIndex(
        std::make_shared<const FileBytes>(std::move(*read)),
        ListingFiles(ma_l_path), Current);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

bool WriteListingIndex(const std::string& index_path,
                       const std::string& ma_l_path, const ListingSet& set,
                       std::chrono::nanoseconds settled) {
  const std::vector<ListingFile> files = ListingFiles(ma_l_path);
  if (index_path.empty() || !Settled(files, set, settled)) return false;
  const fs::path target = PathFromUtf8(index_path);
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  if (error) return false;
  // A name of this run's own: two runs may write at once.
  fs::path temporary = target;
  temporary += ".";
  temporary += std::to_string(std::random_device{}());
  temporary += ".tmp";
  try {
    const std::string index = listing_index_internal::EncodeIndex(files, set);
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(index.data(), static_cast<std::streamsize>(index.size()));
    out.close();
    if (out) {
      fs::rename(temporary, target, error);
      if (!error) return true;
    }
  } catch (const std::bad_alloc&) {
    // No memory for it: the listings answer without.
  }
  fs::remove(temporary, error);
  return false;
}

namespace {

// The listings with their names files, from the index at index_path while
// it is current.
std::optional<ListingSet> FromIndex(const std::string& ma_l_path,
                                    const std::string& index_path) {
  if (index_path.empty()) return std::nullopt;
  std::optional<ListingSet> set = ReadListingIndex(index_path, ma_l_path);
  if (set) set->ReadNames(NamesFiles(ma_l_path));
  return set;
}

}  // namespace

Result<ListingSet, ListingProblem> LoadIndexed(
    const std::string& ma_l_path, const std::string& index_path,
    std::chrono::nanoseconds settled) {
  if (std::optional<ListingSet> set = FromIndex(ma_l_path, index_path)) {
    return std::move(*set);
  }
  Result<ListingSet, ListingProblem> set = ListingSet::Load(ma_l_path);
  // Written, the listings are indexed too: the index is made of theirs.
  if (set && !index_path.empty()) {
    WriteListingIndex(index_path, ma_l_path, *set, settled);
  }
  return set;
}

}  // namespace venmark

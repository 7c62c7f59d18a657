#include "update/update_checks.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <system_error>

#include "listings/block_listing.h"
#include "listings/file_read.h"
#include "listings/mal_listing.h"
#include "listings/paths.h"
#include "listings/text_search.h"
#include "scan/mac.h"
#include "update/origin.h"

namespace venmark {

Result<Done, UpdateProblem> CheckSources(const UpdateSources& sources) {
  for (const std::string& url : sources.urls) {
    // Files are read from a folder, a URL is fetched over HTTP(S) only.
    if (sources.local ? url.empty() : !IsWebAddress(url)) {
      return Fail(
          UpdateProblem{.kind = UpdateFailure::kBadSource, .path = url});
    }
  }
  return Done{};
}

bool InSystemFolder(const std::string& path) {
#ifdef _WIN32
  (void)path;
  return false;
#else
  namespace fs = std::filesystem;
  std::error_code error;
  // Links resolved: a link in the user's folder to /usr counts as /usr.
  fs::path folder = fs::weakly_canonical(
      fs::absolute(PathFromUtf8(FolderOf(path)), error), error);
  if (error) folder = PathFromUtf8(FolderOf(path)).lexically_normal();
  const std::string text = Utf8FromPath(folder);
  return text == "/usr" || text.starts_with("/usr/");
#endif
}

namespace {

template <typename Listing>
Result<std::size_t, ReadFailure> RecordsOf(
    const Result<Listing, ReadFailure>& listing) {
  if (!listing) return Fail(listing.problem());
  return listing->record_count();
}

}  // namespace

std::size_t CountRecords(std::string_view text, ListingKind kind) {
  return RowOf(kind).shape == RecordShape::kBlocks
             ? BlockListing::Parse(text).record_count()
             : MalListing::Parse(text).record_count();
}

namespace {

std::string_view Blankless(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

// "70-B3-D5" as a number.
std::optional<std::uint64_t> DashedPrefix(std::string_view key) {
  if (key.size() != 8 || key[2] != '-' || key[5] != '-') return std::nullopt;
  const char digits[] = {key[0], key[1], key[3], key[4], key[6], key[7]};
  return mac::ParseHex(std::string_view(digits, 6));
}

}  // namespace

std::optional<ListingKind> KindOfListing(std::string_view text) {
  std::array<std::size_t, kListingKindCount> votes{};
  std::uint32_t prefix = 0;
  ForEachLine(text, [&](std::string_view line) {
    // "70-B3-D5   (hex)": the prefix the next line's block lies under.
    const std::size_t hex = line.find("(hex)");
    if (hex != std::string_view::npos) {
      if (const auto value = DashedPrefix(Blankless(line.substr(0, hex)))) {
        prefix = static_cast<std::uint32_t>(*value);
      }
      return;
    }
    const std::size_t base16 = line.find("(base 16)");
    if (base16 == std::string_view::npos) return;
    const std::string_view field = Blankless(line.substr(0, base16));
    ListingKind kind;
    if (field.size() == 6 && mac::ParseHex(field)) {
      // Whole prefixes; a CID's has the local bit set, the group bit clear.
      const std::uint64_t first = *mac::ParseHex(field) >> 16;
      kind = (first & 0x03) == 0x02 ? ListingKind::kCid : ListingKind::kMaL;
    } else if (field.size() == 13 && field[6] == '-') {
      const auto low = mac::ParseHex(field.substr(0, 6));
      const auto high = mac::ParseHex(field.substr(7));
      if (!low || !high || *high < *low) return;
      const std::uint64_t span = *high - *low + 1;
      if (span == std::uint64_t{1} << 20) {
        kind = ListingKind::kMaM;
      } else if (span == std::uint64_t{1} << 12) {
        kind = prefix == 0x0050C2 || prefix == 0x40D855 ? ListingKind::kIab
                                                        : ListingKind::kMaS;
      } else {
        return;
      }
    } else {
      return;
    }
    ++votes[IndexOf(kind)];
  });
  const auto most = std::max_element(votes.begin(), votes.end());
  if (*most == 0) return std::nullopt;
  return kListingKinds[static_cast<std::size_t>(most - votes.begin())].kind;
}

bool EndsWhole(std::string_view text) {
  if (text.empty() || (text.back() != '\n' && text.back() != '\r')) {
    return false;
  }
  bool waiting_for_range = false;
  bool last_whole = true;
  ForEachLine(text, [&](std::string_view line) {
    if (waiting_for_range) {
      last_whole = line.find("(base 16)") != std::string_view::npos;
      waiting_for_range = false;
    }
    if (line.find("(hex)") != std::string_view::npos) waiting_for_range = true;
  });
  return !waiting_for_range && last_whole;
}

Result<CurrentListing, UpdateProblem> InspectListing(const std::string& path,
                                                     ListingKind kind) {
  const bool blocks = RowOf(kind).shape == RecordShape::kBlocks;
  std::error_code error;
  if (!std::filesystem::exists(PathFromUtf8(path), error)) {
    return CurrentListing{};
  }
  const Result<std::size_t, ReadFailure> records =
      blocks ? RecordsOf(BlockListing::Load(path))
             : RecordsOf(MalListing::Load(path));
  if (!records) {
    return Fail(UpdateProblem{.kind = UpdateFailure::kCurrentUnreadable,
                              .path = path,
                              .read = records.problem()});
  }
  if (*records == 0) {
    return Fail(UpdateProblem{.kind = UpdateFailure::kCurrentNotAListing,
                              .path = path});
  }
  return CurrentListing{.exists = true, .records = *records};
}

Result<Done, UpdateProblem> CheckRecordCount(std::size_t fetched,
                                             std::size_t current) {
  if (current == 0) return Done{};
  // The IEEE's listings only grow, by a few per cent a year; a listing far
  // shorter is cut off, one far longer is not the IEEE's.
  UpdateProblem problem{.count = static_cast<std::int64_t>(fetched),
                        .other = static_cast<std::int64_t>(current)};
  if (fetched * 100 < current * 98) {
    problem.kind = UpdateFailure::kTooFew;
  } else if (fetched * 100 > current * 150) {
    problem.kind = UpdateFailure::kTooMany;
  } else {
    return Done{};
  }
  return Fail(std::move(problem));
}

void RemoveLeftovers(const std::vector<std::string>& targets) {
  namespace fs = std::filesystem;
  for (const std::string& target : targets) {
    const fs::path path = PathFromUtf8(target);
    const std::string prefix = Utf8FromPath(path.filename()) + ".new-";
    std::error_code error;
    for (fs::directory_iterator
             it(path.parent_path().empty() ? fs::path(".") : path.parent_path(),
                error),
         end;
         !error && it != end; it.increment(error)) {
      const std::string name = Utf8FromPath(it->path().filename());
      // Exactly the names TempFile makes: six characters after the dash.
      if (name.size() == prefix.size() + 6 && name.starts_with(prefix) &&
          it->is_regular_file(error)) {
        fs::remove(it->path(), error);
      }
    }
  }
}

}  // namespace venmark

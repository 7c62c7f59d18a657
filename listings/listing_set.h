#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "listings/block_listing.h"
#include "listings/listing_kinds.h"
#include "listings/mal_listing.h"
#include "listings/problem.h"
#include "listings/user_names.h"
#include "scan/mac_scanner.h"

namespace venmark {

// A listing's kind and where it is looked for.
struct ListingFile {
  ListingKind kind;
  std::string path;
};

// The listings that go with the MA-L listing at ma_l_path, in the table's
// order, itself first. Beside an "oui.txt" (Debian's ieee-data) they carry
// Debian's names, and a kind Debian has no file of is not looked for;
// beside any other name, ours (base-mas.dat, base-cid.dat…).
std::vector<ListingFile> ListingFiles(const std::string& ma_l_path);

// Who a MAC is assigned to.
struct Assignment {
  // The hex digits the assignment fixes ("001A2B", "70B3D5F2F"); empty when
  // no listing knows the MAC.
  std::string digits;
  // One name per record of the assignment, in file order.
  std::vector<std::string_view> names;
  // The listing that answered, when one did.
  ListingKind kind = ListingKind::kMaL;
};

// The MA-L listing with whichever of the other kinds stand beside it.
class ListingSet {
 public:
  // Reads the MA-L listing at ma_l_path and the other listings beside it
  // that exist, or the first that cannot be read; a listing without a
  // record cannot.
  static Result<ListingSet, ListingProblem> Load(const std::string& ma_l_path);

  // The same set, of the records of the 24-bit prefixes alone: it answers
  // a MAC of those prefixes as the whole set would, its record counts are
  // of what it kept. For a text of a few MACs: each listing is read once, a
  // piece at a time, and nothing is indexed.
  static Result<ListingSet, ListingProblem> LoadFor(
      const std::string& ma_l_path, std::span<const std::uint32_t> prefixes);

  // A set of listing texts already in memory; the other kinds are added.
  explicit ListingSet(MalListing ma_l);
  // The same with the block listings most tests use.
  ListingSet(MalListing ma_l, std::optional<BlockListing> ma_s,
             std::optional<BlockListing> iab = {},
             std::optional<BlockListing> ma_m = {});

  // Puts listing in kind's place, which must be of its shape.
  void Add(ListingKind kind, MalListing listing);
  void Add(ListingKind kind, BlockListing listing);

  // The most specific assignment holding finding's MAC among the kinds
  // that name its scope (universal or local): the smallest block, else the
  // records of its prefix. *assignment's storage is reused.
  void Resolve(const MacFinding& finding, Assignment* assignment) const;

  // Indexes every listing now (MalListing::Index), for a long text.
  void IndexAll() const;
  // The same for the listings of blocks alone.
  void IndexBlocks() const;

  // Texts this long or longer are looked up with the indexes from the
  // start.
  static constexpr std::size_t kLongText = std::size_t{1} << 16;

  const MalListing& ma_l() const { return *prefixes_[0]; }
  // How many records the listing of kind holds; nothing when it is absent.
  std::optional<std::size_t> record_count(ListingKind kind) const;

  // The administrator's own names, read with the listings.
  const UserNames& names() const { return names_; }
  // Reads the names files that exist (unreadable ones are passed over and
  // kept in names_problems()),
  // in order; a line that names nothing is kept in bad_names().
  void ReadNames(const std::vector<std::string>& files);
  // Each names file read, with how many names it gave.
  const std::vector<std::pair<std::string, std::size_t>>& names_files() const {
    return names_files_;
  }
  const std::vector<BadNameLine>& bad_names() const { return bad_names_; }
  // The names files there that could not be read (a FIFO, a device, one
  // over kMaxNamesBytes, one the user may not read), passed over.
  const std::vector<NamesFileProblem>& names_problems() const {
    return names_problems_;
  }
  // Whether a listing of kind is in the set.
  bool has(ListingKind kind) const;
  // The stamp of the version of kind's file the set holds; one that does
  // not exist for a kind not read from a file whole.
  const FileStamp& stamp(ListingKind kind) const {
    return stamps_[IndexOf(kind)];
  }
  void SetStamp(ListingKind kind, const FileStamp& stamp) {
    stamps_[IndexOf(kind)] = stamp;
  }
  // The listing of kind, where it is one of prefixes or of blocks.
  const MalListing* prefixes(ListingKind kind) const;
  const BlockListing* blocks(ListingKind kind) const;

 private:
  // Each kind's listing in its place, in the one array of its shape.
  std::array<std::optional<MalListing>, kListingKindCount> prefixes_;
  std::array<std::optional<BlockListing>, kListingKindCount> blocks_;
  std::array<FileStamp, kListingKindCount> stamps_;
  UserNames names_;
  std::vector<std::pair<std::string, std::size_t>> names_files_;
  std::vector<BadNameLine> bad_names_;
  std::vector<NamesFileProblem> names_problems_;
};

}  // namespace venmark

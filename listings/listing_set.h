#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listings/block_listing.h"
#include "scan/mac_scanner.h"
#include "listings/mal_listing.h"
#include "listings/problem.h"
#include "listings/user_names.h"

namespace venmark {

// A companion listing's kind and where it is looked for.
struct CompanionFile {
  BlockKind kind;
  std::string path;
};

// The companions of the MA-L listing at ma_l_path, in the order their
// answers are listed: MA-S, IAB, MA-M. Beside an "oui.txt" they carry the
// IEEE's own names (oui36.txt, iab.txt, mam.txt); beside any other name,
// base-mas.dat, base-iab.dat and base-mam.dat.
std::array<CompanionFile, 3> CompanionFiles(const std::string& ma_l_path);

// Who a MAC is assigned to.
struct Assignment {
  // The hex digits the assignment fixes ("001A2B", "70B3D5F2F"); empty when
  // no listing knows the MAC.
  std::string digits;
  // One name per record of the assignment, in file order.
  std::vector<std::string_view> names;
};

// The MA-L listing with whichever companions stand beside it.
class ListingSet {
 public:
  // Reads the MA-L listing at ma_l_path and its companions that exist. On
  // failure returns nothing and sets *problem; a listing without a record
  // is a failure too.
  static std::optional<ListingSet> Load(const std::string& ma_l_path,
                                        ListingProblem* problem);

  // A set of listing texts already in memory; a companion may be absent.
  explicit ListingSet(MalListing ma_l, std::optional<BlockListing> ma_s = {},
                      std::optional<BlockListing> iab = {},
                      std::optional<BlockListing> ma_m = {});

  // The most specific assignment holding finding's MAC: the smallest block
  // of a companion, else the MA-L records of its prefix. *assignment's
  // storage is reused.
  void Resolve(const MacFinding& finding, Assignment* assignment) const;

  // Indexes every listing now (MalListing::Index), for a long text.
  void IndexAll() const;
  // The same for the listings of blocks alone.
  void IndexBlocks() const;

  // Texts this long or longer are looked up with the indexes from the
  // start.
  static constexpr std::size_t kLongText = std::size_t{1} << 16;

  const MalListing& ma_l() const { return ma_l_; }

  // The administrator's own names, read with the listings.
  const UserNames& names() const { return names_; }
  // Reads the names files that exist (unreadable ones are passed over),
  // in order; a line that names nothing is kept in bad_names().
  void ReadNames(const std::vector<std::string>& files);
  // Each names file read, with how many names it gave.
  const std::vector<std::pair<std::string, std::size_t>>& names_files() const {
    return names_files_;
  }
  const std::vector<BadNameLine>& bad_names() const { return bad_names_; }
  // The companion of kind, or null when there is none.
  const BlockListing* companion(BlockKind kind) const;

 private:
  MalListing ma_l_;
  std::array<std::optional<BlockListing>, 3> companions_;
  UserNames names_;
  std::vector<std::pair<std::string, std::size_t>> names_files_;
  std::vector<BadNameLine> bad_names_;
};

// The IEEE's name of a kind of listing ("MA-S").
std::string_view BlockKindName(BlockKind kind);

}  // namespace venmark

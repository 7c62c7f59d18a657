#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The kinds of listing the IEEE Registration Authority publishes, in one
// table: everything else that knows the listings (where they lie, how
// they are read, updated, checked, seeded and packaged) reads this table.
namespace venmark {

// A kind of listing, in the order of the table below.
enum class ListingKind { kMaL, kMaS, kIab, kMaM, kCid };

// How a kind's records are laid out.
enum class RecordShape {
  kPrefix,  // a "(hex)" line per prefix, as in the MA-L listing
  kBlocks,  // a "(hex)" line and its "(base 16)" range of the low bits
};

// Which addresses a kind's records name. The IEEE assigns MA-L, MA-M, MA-S
// and IAB blocks for universal addresses, yet a few early MA-L prefixes
// are local ones in use to this day (DEC's AA-00-04, DECnet's addresses):
// such a kind answers whatever its records hold. A CID names locally
// administered addresses alone, and before any other kind.
enum class AddressScope { kUniversal, kLocal };

// One row of the table.
struct ListingKindRow {
  ListingKind kind;
  std::string_view name;         // the IEEE's name of the kind ("MA-L")
  std::string_view ieee_path;    // on the IEEE's server and in its layout
  std::string_view debian_name;  // in Debian's ieee-data; empty: none there
  std::string_view our_name;     // beside base.dat
  RecordShape shape;
  int prefix_bits;  // the bits an assignment of the kind fixes
  AddressScope scope;
  bool required;  // no look-up without it
};

// The table, in the order listings are updated and their answers listed.
inline constexpr std::array<ListingKindRow, 5> kListingKinds = {{
    {ListingKind::kMaL, "MA-L", "oui/oui.txt", "oui.txt", "base.dat",
     RecordShape::kPrefix, 24, AddressScope::kUniversal, true},
    {ListingKind::kMaS, "MA-S", "oui36/oui36.txt", "oui36.txt", "base-mas.dat",
     RecordShape::kBlocks, 36, AddressScope::kUniversal, false},
    {ListingKind::kIab, "IAB", "iab/iab.txt", "iab.txt", "base-iab.dat",
     RecordShape::kBlocks, 36, AddressScope::kUniversal, false},
    {ListingKind::kMaM, "MA-M", "oui28/mam.txt", "mam.txt", "base-mam.dat",
     RecordShape::kBlocks, 28, AddressScope::kUniversal, false},
    {ListingKind::kCid, "CID", "cid/cid.txt", "", "base-cid.dat",
     RecordShape::kPrefix, 24, AddressScope::kLocal, false},
}};

inline constexpr std::size_t kListingKindCount = kListingKinds.size();

// The row of kind.
constexpr const ListingKindRow& RowOf(ListingKind kind) {
  return kListingKinds[static_cast<std::size_t>(kind)];
}

// The place of kind in the table, for arrays kept beside it.
constexpr std::size_t IndexOf(ListingKind kind) {
  return static_cast<std::size_t>(kind);
}

// The IEEE's name of kind ("MA-S").
constexpr std::string_view KindName(ListingKind kind) {
  return RowOf(kind).name;
}

// Whether the 48-bit address is locally administered: the second bit of
// its first byte set.
constexpr bool IsLocalAddress(std::uint64_t address) {
  return ((address >> 40) & 0x02) != 0;
}

// Whether a kind of the scope may name the 48-bit address.
constexpr bool InScope(AddressScope scope, std::uint64_t address) {
  return scope == AddressScope::kUniversal || IsLocalAddress(address);
}

}  // namespace venmark

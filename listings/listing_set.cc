#include "listings/listing_set.h"

#include <bit>
#include <cerrno>
#include <filesystem>
#include <new>
#include <span>
#include <system_error>
#include <type_traits>

#include "listings/listing_places.h"
#include "listings/paths.h"
#include "listings/record_filter.h"
#include "scan/mac.h"
#include "scan/text_codec.h"

namespace venmark {
namespace {

// Adds the listing of kind in bytes to *set (the MA-L listing makes it),
// read by the reader of its shape; fails kNoRecord when check_records and
// that reader finds no record in it.
Result<Done, ReadFailure> AddListing(ListingKind kind, ListingBytes bytes,
                                     bool check_records,
                                     std::optional<ListingSet>* set) {
  const FileStamp stamp = bytes.stamp();
  const auto add = [&](auto listing) -> Result<Done, ReadFailure> {
    if (check_records && !listing.HasRecord()) {
      return Fail(ReadFailure{ReadFailure::Kind::kNoRecord, 0});
    }
    if (kind == ListingKind::kMaL) {
      if constexpr (std::is_same_v<decltype(listing), MalListing>) {
        set->emplace(std::move(listing));
      }
    } else {
      (*set)->Add(kind, std::move(listing));
    }
    (*set)->SetStamp(kind, stamp);
    return Done{};
  };
  return RowOf(kind).shape == RecordShape::kBlocks
             ? add(BlockListing(std::move(bytes)))
             : add(MalListing(std::move(bytes)));
}

}  // namespace

std::vector<ListingFile> ListingFiles(const std::string& ma_l_path) {
  const std::filesystem::path path = PathFromUtf8(ma_l_path);
  const bool debian_names =
      path.filename() == RowOf(ListingKind::kMaL).debian_name;
  std::vector<ListingFile> files{{ListingKind::kMaL, ma_l_path}};
  for (const ListingKindRow& row : kListingKinds) {
    if (row.kind == ListingKind::kMaL) continue;
    const std::string_view name = debian_names ? row.debian_name : row.our_name;
    if (name.empty()) continue;
    files.push_back(
        {row.kind, Utf8FromPath(path.parent_path() / PathFromUtf8(name))});
  }
  return files;
}

ListingSet::ListingSet(MalListing ma_l) {
  prefixes_[IndexOf(ListingKind::kMaL)].emplace(std::move(ma_l));
}

ListingSet::ListingSet(MalListing ma_l, std::optional<BlockListing> ma_s,
                       std::optional<BlockListing> iab,
                       std::optional<BlockListing> ma_m)
    : ListingSet(std::move(ma_l)) {
  if (ma_s) Add(ListingKind::kMaS, std::move(*ma_s));
  if (iab) Add(ListingKind::kIab, std::move(*iab));
  if (ma_m) Add(ListingKind::kMaM, std::move(*ma_m));
}

void ListingSet::Add(ListingKind kind, MalListing listing) {
  prefixes_[IndexOf(kind)].emplace(std::move(listing));
}

void ListingSet::Add(ListingKind kind, BlockListing listing) {
  blocks_[IndexOf(kind)].emplace(std::move(listing));
}

namespace {

// The listing of file read by read(file) into a listing's bytes, added to
// *set as AddListing adds it.
template <typename Read>
Result<Done, ReadFailure> ReadInto(const ListingFile& file, bool check_records,
                                   Read& read, std::optional<ListingSet>* set) {
  try {
    Result<ListingBytes, ReadFailure> bytes = read(file);
    if (!bytes) return Fail(bytes.problem());
    return AddListing(file.kind, std::move(*bytes), check_records, set);
  } catch (const std::bad_alloc&) {
    // A memory limit (ulimit -v) is a reason like any other.
    return Fail(ReadFailure{ReadFailure::Kind::kSystem, ENOMEM});
  }
}

// The set of the listings beside ma_l_path, each read by read(file) into
// the bytes of a listing; a listing the reader of its shape finds no
// record in fails when check_records.
template <typename Read>
Result<ListingSet, ListingProblem> LoadEach(const std::string& ma_l_path,
                                            bool check_records, Read&& read) {
  std::optional<ListingSet> set;
  for (const ListingFile& file : ListingFiles(ma_l_path)) {
    // The other kinds are optional: only one that is there and fails to
    // read is an error.
    if (file.kind != ListingKind::kMaL && !Present(file.path)) continue;
    const Result<Done, ReadFailure> added =
        ReadInto(file, check_records, read, &set);
    if (!added)
      return Fail(ListingProblem{file.kind, file.path, added.problem()});
  }
  set->ReadNames(NamesFiles(ma_l_path));
  return std::move(*set);
}

}  // namespace

Result<ListingSet, ListingProblem> ListingSet::Load(
    const std::string& ma_l_path) {
  return LoadEach(ma_l_path, true, [](const ListingFile& file) {
    return ListingBytes::Read(file.path);
  });
}

Result<ListingSet, ListingProblem> ListingSet::LoadFor(
    const std::string& ma_l_path, std::span<const std::uint32_t> prefixes) {
  return LoadEach(
      ma_l_path, false,
      [&](const ListingFile& file) -> Result<ListingBytes, ReadFailure> {
        RecordFilter filter(file.kind, prefixes);
        const Result<FileStamp, ReadFailure> read =
            FilterRegularFile(file.path, kMaxListingBytes, &filter);
        if (!read) return Fail(read.problem());
        if (!filter.saw_record()) {
          return Fail(ReadFailure{ReadFailure::Kind::kNoRecord, 0});
        }
        return ListingBytes(filter.kept());
      });
}

void ListingSet::ReadNames(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    const Result<FileBytes, ReadFailure> bytes =
        ReadRegularFile(file, kMaxNamesBytes);
    if (!bytes) {
      // One that is not there names nothing; anything else is told.
      const ReadFailure& why = bytes.problem();
      if (why.kind != ReadFailure::Kind::kSystem ||
          (why.error_number != ENOENT && why.error_number != ENOTDIR)) {
        names_problems_.push_back({file, why});
      }
      continue;
    }
    const std::size_t before = names_.size();
    names_.Add(TextFileAsUtf8(bytes->view()), file, &bad_names_);
    names_files_.emplace_back(file, names_.size() - before);
  }
}

const MalListing* ListingSet::prefixes(ListingKind kind) const {
  const std::optional<MalListing>& listing = prefixes_[IndexOf(kind)];
  return listing ? &*listing : nullptr;
}

const BlockListing* ListingSet::blocks(ListingKind kind) const {
  const std::optional<BlockListing>& listing = blocks_[IndexOf(kind)];
  return listing ? &*listing : nullptr;
}

bool ListingSet::has(ListingKind kind) const {
  return prefixes_[IndexOf(kind)].has_value() ||
         blocks_[IndexOf(kind)].has_value();
}

std::optional<std::size_t> ListingSet::record_count(ListingKind kind) const {
  if (const auto& listing = prefixes_[IndexOf(kind)]) {
    return listing->record_count();
  }
  if (const auto& listing = blocks_[IndexOf(kind)]) {
    return listing->record_count();
  }
  return std::nullopt;
}

void ListingSet::IndexAll() const {
  for (const std::optional<MalListing>& listing : prefixes_) {
    if (listing) listing->Index();
  }
  IndexBlocks();
}

void ListingSet::IndexBlocks() const {
  for (const std::optional<BlockListing>& blocks : blocks_) {
    if (blocks) blocks->Index();
  }
}

void ListingSet::Resolve(const MacFinding& finding,
                         Assignment* assignment) const {
  std::vector<std::string_view>& names = assignment->names;
  names.clear();
  assignment->digits.clear();
  // The smallest block wins; blocks of one size answer together, in the
  // order of the table.
  std::optional<BlockListing::Block> best;
  for (const ListingKindRow& row : kListingKinds) {
    const std::optional<BlockListing>& blocks = blocks_[IndexOf(row.kind)];
    if (!blocks || !InScope(row.scope, finding.address)) continue;
    const std::size_t before = names.size();
    const std::optional<BlockListing::Block> block =
        blocks->Find(finding.address, &names);
    if (!block) continue;
    if (!best || block->span < best->span) {
      names.erase(names.begin(),
                  names.begin() + static_cast<std::ptrdiff_t>(before));
      best = block;
      assignment->kind = row.kind;
    } else if (block->span > best->span) {
      names.resize(before);
    }
  }
  if (best) {
    // A block fixes the bits above its span: 36 of them for MA-S and IAB
    // (nine digits), 28 for MA-M (seven).
    const int free_bits = std::bit_width(best->span);
    assignment->digits = mac::Hex(best->first, (48 - free_bits) / 4);
    return;
  }
  // A local address is named by a company's CID before any early MA-L
  // prefix that holds it.
  const auto prefix = static_cast<std::uint32_t>(finding.address >> 24);
  for (const AddressScope scope :
       {AddressScope::kLocal, AddressScope::kUniversal}) {
    for (const ListingKindRow& row : kListingKinds) {
      const std::optional<MalListing>& listing = prefixes_[IndexOf(row.kind)];
      if (!listing || row.scope != scope ||
          !InScope(row.scope, finding.address)) {
        continue;
      }
      const std::span<const std::string_view> found = listing->Find(prefix);
      if (found.empty()) continue;
      names.assign(found.begin(), found.end());
      assignment->digits = mac::Hex(finding.address, 6);
      assignment->kind = row.kind;
      return;
    }
  }
}

}  // namespace venmark

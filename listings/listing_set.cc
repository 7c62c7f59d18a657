#include "listings/listing_set.h"

#include <bit>
#include <filesystem>
#include <system_error>

#include "listings/listing_places.h"
#include "scan/mac.h"

namespace venmark {
namespace {

constexpr std::size_t Index(BlockKind kind) {
  return static_cast<std::size_t>(kind);
}

}  // namespace

std::string_view BlockKindName(BlockKind kind) {
  switch (kind) {
    case BlockKind::kMaS:
      return "MA-S";
    case BlockKind::kIab:
      return "IAB";
    case BlockKind::kMaM:
      return "MA-M";
  }
  return "";
}

std::array<CompanionFile, 3> CompanionFiles(const std::string& ma_l_path) {
  const std::filesystem::path path = PathFromUtf8(ma_l_path);
  const bool ieee_names = path.filename() == "oui.txt";
  auto beside = [&](const char* ieee, const char* ours) {
    return Utf8FromPath(path.parent_path() / (ieee_names ? ieee : ours));
  };
  return {{{BlockKind::kMaS, beside("oui36.txt", "base-mas.dat")},
           {BlockKind::kIab, beside("iab.txt", "base-iab.dat")},
           {BlockKind::kMaM, beside("mam.txt", "base-mam.dat")}}};
}

ListingSet::ListingSet(MalListing ma_l, std::optional<BlockListing> ma_s,
                       std::optional<BlockListing> iab, std::optional<BlockListing> ma_m)
    : ma_l_(std::move(ma_l)),
      companions_{std::move(ma_s), std::move(iab), std::move(ma_m)} {}

std::optional<ListingSet> ListingSet::Load(const std::string& ma_l_path,
                                           ListingProblem* problem) {
  ReadFailure why;
  const auto fail = [&](std::optional<BlockKind> kind,
                        const std::string& path) {
    if (problem != nullptr) *problem = {kind, path, why};
    return std::nullopt;
  };
  std::optional<MalListing> ma_l = MalListing::Load(ma_l_path, &why);
  if (ma_l && !ma_l->HasRecord()) {
    ma_l.reset();
    why = {ReadFailure::Kind::kNoRecord, 0};
  }
  if (!ma_l) return fail(std::nullopt, ma_l_path);
  ListingSet set(std::move(*ma_l));
  for (const CompanionFile& file : CompanionFiles(ma_l_path)) {
    // A companion is optional: only one that is there and fails to read is
    // an error.
    std::error_code status_error;
    const auto status =
        std::filesystem::symlink_status(PathFromUtf8(file.path), status_error);
    if (status.type() == std::filesystem::file_type::not_found) continue;
    std::optional<BlockListing> blocks = BlockListing::Load(file.path, &why);
    if (blocks && !blocks->HasRecord()) {
      blocks.reset();
      why = {ReadFailure::Kind::kNoRecord, 0};
    }
    if (!blocks) return fail(file.kind, file.path);
    set.companions_[Index(file.kind)] = std::move(blocks);
  }
  set.ReadNames(NamesFiles(ma_l_path));
  return set;
}

void ListingSet::ReadNames(const std::vector<std::string>& files) {
  for (const std::string& file : files) {
    FileBytes bytes;
    ReadFailure why;
    if (!ReadListingFile(file, &bytes, &why)) continue;
    const std::size_t before = names_.size();
    names_.Add(bytes.view(), file, &bad_names_);
    names_files_.emplace_back(file, names_.size() - before);
  }
}

const BlockListing* ListingSet::companion(BlockKind kind) const {
  const std::optional<BlockListing>& blocks = companions_[Index(kind)];
  return blocks ? &*blocks : nullptr;
}

void ListingSet::IndexAll() const {
  ma_l_.Index();
  IndexBlocks();
}

void ListingSet::IndexBlocks() const {
  for (const std::optional<BlockListing>& blocks : companions_) {
    if (blocks) blocks->Index();
  }
}

void ListingSet::Resolve(const MacFinding& finding,
                         Assignment* assignment) const {
  std::vector<std::string_view>& names = assignment->names;
  names.clear();
  assignment->digits.clear();
  // The smallest block wins; blocks of one size answer together, in the
  // order of the files.
  std::optional<BlockListing::Block> best;
  for (const std::optional<BlockListing>& blocks : companions_) {
    if (!blocks) continue;
    const std::size_t before = names.size();
    const std::optional<BlockListing::Block> block =
        blocks->Find(finding.address, &names);
    if (!block) continue;
    if (!best || block->span < best->span) {
      names.erase(names.begin(),
                  names.begin() + static_cast<std::ptrdiff_t>(before));
      best = block;
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
  const std::span<const std::string_view> found =
      ma_l_.Find(static_cast<std::uint32_t>(finding.address >> 24));
  if (found.empty()) return;
  names.assign(found.begin(), found.end());
  assignment->digits = mac::Hex(finding.address, 6);
}

}  // namespace venmark

#include "lookup/listing_set.h"

#include <bit>
#include <filesystem>
#include <system_error>

namespace venmark {
namespace {

constexpr std::string_view kNoRecord = "в файле нет ни одной записи OUI";

std::string CannotRead(std::string_view what, const std::string& path,
                       std::string_view reason) {
  return "Не удалось прочитать " + std::string(what) + " «" + path +
         "»: " + std::string(reason);
}

constexpr std::size_t Index(BlockKind kind) {
  return static_cast<std::size_t>(kind);
}

// Upper-case hex digits of the top `digits` nibbles of a 48-bit address.
std::string HexDigits(std::uint64_t address, int digits) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = 0; i < digits; ++i) {
    text[static_cast<std::size_t>(i)] = kHex[(address >> (44 - 4 * i)) & 0xF];
  }
  return text;
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

std::string CompanionTitle(BlockKind kind) {
  return "список " + std::string(BlockKindName(kind));
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

ListingSet::ListingSet(VendorDb ma_l, std::optional<BlockDb> ma_s,
                       std::optional<BlockDb> iab, std::optional<BlockDb> ma_m)
    : ma_l_(std::move(ma_l)),
      companions_{std::move(ma_s), std::move(iab), std::move(ma_m)} {}

std::optional<ListingSet> ListingSet::Load(const std::string& ma_l_path,
                                           std::string* error) {
  constexpr std::string_view kMaLTitle = "базу производителей";
  std::string reason;
  std::optional<VendorDb> ma_l = VendorDb::Load(ma_l_path, &reason);
  if (ma_l && !ma_l->HasRecord()) {
    ma_l.reset();
    reason = kNoRecord;
  }
  if (!ma_l) {
    if (error != nullptr) *error = CannotRead(kMaLTitle, ma_l_path, reason);
    return std::nullopt;
  }
  ListingSet set(std::move(*ma_l));
  for (const CompanionFile& file : CompanionFiles(ma_l_path)) {
    // A companion is optional: only one that is there and fails to read is
    // an error.
    std::error_code status_error;
    const auto status =
        std::filesystem::symlink_status(PathFromUtf8(file.path), status_error);
    if (status.type() == std::filesystem::file_type::not_found) continue;
    std::optional<BlockDb> blocks = BlockDb::Load(file.path, &reason);
    if (blocks && !blocks->HasRecord()) {
      blocks.reset();
      reason = kNoRecord;
    }
    if (!blocks) {
      if (error != nullptr) {
        *error = CannotRead(CompanionTitle(file.kind), file.path, reason);
      }
      return std::nullopt;
    }
    set.companions_[Index(file.kind)] = std::move(blocks);
  }
  return set;
}

const BlockDb* ListingSet::companion(BlockKind kind) const {
  const std::optional<BlockDb>& blocks = companions_[Index(kind)];
  return blocks ? &*blocks : nullptr;
}

void ListingSet::IndexAll() const {
  ma_l_.Index();
  IndexBlocks();
}

void ListingSet::IndexBlocks() const {
  for (const std::optional<BlockDb>& blocks : companions_) {
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
  std::optional<BlockDb::Block> best;
  for (const std::optional<BlockDb>& blocks : companions_) {
    if (!blocks) continue;
    const std::size_t before = names.size();
    const std::optional<BlockDb::Block> block =
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
    assignment->digits = HexDigits(best->first, (48 - free_bits) / 4);
    return;
  }
  const std::span<const std::string_view> found =
      ma_l_.Find(static_cast<std::uint32_t>(finding.address >> 24));
  if (found.empty()) return;
  names.assign(found.begin(), found.end());
  assignment->digits = HexDigits(finding.address, 6);
}

}  // namespace venmark

#include "listings/listing_index_format.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "listings/listing_kinds.h"

namespace venmark::listing_index_internal {
namespace {

// The file begins with the magic, the format, how many listing files
// follow and the hash of all after these. Then the names, each once: their
// count, where each begins (and the end) and their bytes. Then each
// listing file: its kind, path and stamp, and when it exists its records,
// each with the number of its name. Numbers are the machine's own: the
// index never leaves it.
constexpr std::string_view kMagic{"VMKINDEX", 8};
constexpr std::uint32_t kFormat = 1;

}  // namespace

// A hash that tells a damaged file, eight bytes at a time.
std::uint64_t Hash(std::string_view bytes) {
  std::uint64_t hash = 0x9E3779B97F4A7C15u ^ bytes.size();
  std::size_t at = 0;
  const auto mix = [&](std::uint64_t word) {
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDu;
    hash ^= hash >> 32;
  };
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    mix(word);
  }
  std::uint64_t tail = 0;
  std::memcpy(&tail, bytes.data() + at, bytes.size() - at);
  mix(tail);
  return hash;
}

namespace {

class Writer {
 public:
  template <typename Number>
  void Put(Number number) {
    bytes_.append(reinterpret_cast<const char*>(&number), sizeof number);
  }
  void PutBytes(std::string_view bytes) { bytes_.append(bytes); }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

// Reads what a Writer wrote; once anything is missing, ok() is false and
// every number after it 0.
class Reader {
 public:
  explicit Reader(std::string_view bytes) : rest_(bytes) {}
  template <typename Number>
  Number Take() {
    Number number{};
    if (rest_.size() < sizeof number) {
      ok_ = false;
      return number;
    }
    std::memcpy(&number, rest_.data(), sizeof number);
    rest_.remove_prefix(sizeof number);
    return number;
  }
  std::string_view TakeBytes(std::uint64_t size) {
    if (rest_.size() < size) {
      ok_ = false;
      return {};
    }
    const auto length = static_cast<std::size_t>(size);
    const std::string_view bytes = rest_.substr(0, length);
    rest_.remove_prefix(length);
    return bytes;
  }
  bool ok() const { return ok_; }
  bool at_end() const { return rest_.empty(); }
  // Whether count items of size bytes each may still follow.
  bool Holds(std::uint64_t count, std::size_t size) const {
    return count <= rest_.size() / size;
  }

 private:
  std::string_view rest_;
  bool ok_ = true;
};

void PutStamp(const FileStamp& stamp, Writer* out) {
  out->Put<std::uint8_t>(stamp.exists ? 1 : 0);
  out->Put(stamp.device);
  out->Put(stamp.inode);
  out->Put(stamp.size);
  out->Put(stamp.modified_ns);
  out->Put(stamp.changed_ns);
}

FileStamp TakeStamp(Reader* in) {
  FileStamp stamp;
  stamp.exists = in->Take<std::uint8_t>() == 1;
  stamp.device = in->Take<std::uint64_t>();
  stamp.inode = in->Take<std::uint64_t>();
  stamp.size = in->Take<std::uint64_t>();
  stamp.modified_ns = in->Take<std::int64_t>();
  stamp.changed_ns = in->Take<std::int64_t>();
  return stamp;
}

// Each name once, numbered in the order first met.
class NameTable {
 public:
  std::uint32_t Number(std::string_view name) {
    const auto [at, added] =
        numbers_.try_emplace(name, static_cast<std::uint32_t>(names_.size()));
    if (added) names_.push_back(name);
    return at->second;
  }
  void WriteTo(Writer* out) const {
    out->Put(static_cast<std::uint32_t>(names_.size()));
    std::uint32_t end = 0;
    out->Put(end);
    for (const std::string_view name : names_) {
      end += static_cast<std::uint32_t>(name.size());
      out->Put(end);
    }
    for (const std::string_view name : names_) out->PutBytes(name);
  }

 private:
  std::unordered_map<std::string_view, std::uint32_t> numbers_;
  std::vector<std::string_view> names_;
};

// The names an index holds, in order; nothing when they do not add up.
std::optional<std::vector<std::string_view>> TakeNames(Reader* in) {
  const auto count = in->Take<std::uint32_t>();
  const std::string_view ends = in->TakeBytes((std::uint64_t{count} + 1) * 4);
  if (!in->ok()) return std::nullopt;
  std::vector<std::uint32_t> end(count + std::size_t{1});
  std::memcpy(end.data(), ends.data(), ends.size());
  const std::string_view bytes = in->TakeBytes(end.back());
  if (!in->ok() || end[0] != 0) return std::nullopt;
  std::vector<std::string_view> names;
  names.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (end[i + 1] < end[i]) return std::nullopt;
    names.push_back(bytes.substr(end[i], end[i + 1] - end[i]));
  }
  return names;
}

void PutPrefixes(const MalListing& listing, NameTable* names, Writer* out) {
  const MalListing::Indexed index = listing.indexed();
  out->Put(static_cast<std::uint64_t>(index.record_count));
  out->Put(static_cast<std::uint32_t>(index.keys.size()));
  for (std::size_t i = 0; i < index.keys.size(); ++i) {
    out->Put(index.keys[i]);
    out->Put(names->Number(index.names[i]));
  }
}

void PutBlocks(const BlockListing& listing, NameTable* names, Writer* out) {
  const std::vector<BlockListing::Record>& records = listing.indexed();
  out->Put(static_cast<std::uint32_t>(records.size()));
  for (const BlockListing::Record& record : records) {
    for (const std::uint32_t field :
         {record.prefix, record.span, record.low, record.order}) {
      out->Put(field);
    }
    out->Put(names->Number(record.name));
  }
}

// The listing of prefixes that follows in *in; nothing when it is not one.
std::optional<MalListing> TakePrefixes(
    Reader* in, const std::vector<std::string_view>& names,
    const std::shared_ptr<const void>& keep) {
  const auto records = in->Take<std::uint64_t>();
  const auto count = in->Take<std::uint32_t>();
  if (!in->ok() || count > records || !in->Holds(count, 8)) {
    return std::nullopt;
  }
  // No more records than the listing's bytes could hold: a count past
  // what this system counts in is damage.
  if (records > kMaxListingBytes) return std::nullopt;
  MalListing::Indexed index{.record_count = static_cast<std::size_t>(records),
                            .keep = keep};
  index.keys.reserve(count);
  index.names.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto key = in->Take<std::uint32_t>();
    const auto name = in->Take<std::uint32_t>();
    if (!in->ok() || key > 0xFFFFFF || name >= names.size() ||
        (i > 0 && key < index.keys.back())) {
      return std::nullopt;
    }
    index.keys.push_back(key);
    index.names.push_back(names[name]);
  }
  return MalListing(std::move(index));
}

// The listing of blocks that follows in *in; nothing when it is not one.
std::optional<BlockListing> TakeBlocks(
    Reader* in, const std::vector<std::string_view>& names,
    const std::shared_ptr<const void>& keep) {
  BlockListing::Indexed index{.keep = keep};
  const auto count = in->Take<std::uint32_t>();
  if (!in->ok() || !in->Holds(count, 20)) return std::nullopt;
  index.records.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    BlockListing::Record record{};
    record.prefix = in->Take<std::uint32_t>();
    record.span = in->Take<std::uint32_t>();
    record.low = in->Take<std::uint32_t>();
    record.order = in->Take<std::uint32_t>();
    const auto name = in->Take<std::uint32_t>();
    if (!in->ok() || record.prefix > 0xFFFFFF || record.low > 0xFFFFFF ||
        record.span > 0xFFFFFF - record.low || name >= names.size()) {
      return std::nullopt;
    }
    record.name = names[name];
    index.records.push_back(record);
  }
  if (!BlockListing::InIndexOrder(index.records)) return std::nullopt;
  return BlockListing(std::move(index));
}

// The listing files of *in, each checked against files and added to *set.
bool TakeListings(Reader* in, const std::vector<ListingFile>& files,
                  const std::vector<std::string_view>& names,
                  const std::shared_ptr<const void>& keep,
                  const StampCheck& current, std::optional<ListingSet>* set) {
  for (const ListingFile& file : files) {
    const auto kind = in->Take<std::uint32_t>();
    const std::string_view path = in->TakeBytes(in->Take<std::uint32_t>());
    const FileStamp stamp = TakeStamp(in);
    if (!in->ok() || kind != IndexOf(file.kind) || path != file.path ||
        !current(file, stamp)) {
      return false;
    }
    if (!stamp.exists) {
      if (file.kind == ListingKind::kMaL) return false;
      continue;
    }
    if (RowOf(file.kind).shape == RecordShape::kBlocks) {
      std::optional<BlockListing> listing = TakeBlocks(in, names, keep);
      if (!listing || !*set) return false;
      (*set)->Add(file.kind, std::move(*listing));
    } else {
      std::optional<MalListing> listing = TakePrefixes(in, names, keep);
      if (!listing) return false;
      if (file.kind == ListingKind::kMaL) {
        set->emplace(std::move(*listing));
      } else if (*set) {
        (*set)->Add(file.kind, std::move(*listing));
      } else {
        return false;
      }
    }
    (*set)->SetStamp(file.kind, stamp);
  }
  return in->at_end();
}

}  // namespace

std::string EncodeIndex(const std::vector<ListingFile>& files,
                        const ListingSet& set) {
  NameTable names;
  Writer listings;
  for (const ListingFile& file : files) {
    listings.Put(static_cast<std::uint32_t>(IndexOf(file.kind)));
    listings.Put(static_cast<std::uint32_t>(file.path.size()));
    listings.PutBytes(file.path);
    PutStamp(set.stamp(file.kind), &listings);
    if (const MalListing* prefixes = set.prefixes(file.kind)) {
      PutPrefixes(*prefixes, &names, &listings);
    } else if (const BlockListing* blocks = set.blocks(file.kind)) {
      PutBlocks(*blocks, &names, &listings);
    }
  }
  Writer body;
  names.WriteTo(&body);
  body.PutBytes(listings.bytes());
  Writer index;
  index.PutBytes(kMagic);
  index.Put(kFormat);
  index.Put(static_cast<std::uint32_t>(files.size()));
  index.Put(Hash(body.bytes()));
  index.PutBytes(body.bytes());
  return std::move(index.bytes());
}

std::optional<ListingSet> DecodeIndex(
    const std::shared_ptr<const FileBytes>& bytes,
    const std::vector<ListingFile>& files, const StampCheck& current) {
  if (bytes->size < kHeaderBytes) return std::nullopt;
  Reader header(bytes->view().substr(0, kHeaderBytes));
  const std::string_view body = bytes->view().substr(kHeaderBytes);
  if (header.TakeBytes(kMagic.size()) != kMagic ||
      header.Take<std::uint32_t>() != kFormat ||
      header.Take<std::uint32_t>() != files.size() ||
      header.Take<std::uint64_t>() != Hash(body)) {
    return std::nullopt;
  }
  Reader in(body);
  const std::optional<std::vector<std::string_view>> names = TakeNames(&in);
  if (!names) return std::nullopt;
  std::optional<ListingSet> set;
  if (!TakeListings(&in, files, *names, bytes, current, &set)) {
    return std::nullopt;
  }
  return set;
}

}  // namespace venmark::listing_index_internal

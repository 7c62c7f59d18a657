#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "listings/file_read.h"
#include "listings/listing_set.h"

// The bytes of an index of the listings: how a ListingSet is put into one
// file and taken out again, every count, order and name checked against
// the bytes there are. Where the index lies and when it is current is
// listing_index.h's business.
namespace venmark::listing_index_internal {

// Whether a listing file is still the version stamped in the index.
using StampCheck = std::function<bool(const ListingFile&, const FileStamp&)>;

// A hash that tells a damaged file, kept of all after the header.
std::uint64_t Hash(std::string_view bytes);
inline constexpr std::size_t kHeaderBytes = 8 + 4 + 4 + 8;

// The index of set, the listings of files, as bytes.
std::string EncodeIndex(const std::vector<ListingFile>& files,
                        const ListingSet& set);

// The listings an index holds for files, each file's stamp accepted by
// current; nothing when bytes are not a whole index of exactly those. The
// listings keep bytes alive, their names pointing into it.
std::optional<ListingSet> DecodeIndex(
    const std::shared_ptr<const FileBytes>& bytes,
    const std::vector<ListingFile>& files, const StampCheck& current);

}  // namespace venmark::listing_index_internal

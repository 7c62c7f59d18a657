#include "listings/text_search.h"

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "scan/mac_shapes.h"

namespace venmark {

namespace {

// Sixteen bytes at a time, in whatever vector unit the target has (GCC and
// Clang vector extensions): plain code where there is none.
using Block = unsigned char __attribute__((vector_size(16)));

// Blocks are handed back through pointers: a vector returned by value
// changes the ABI where the target has no vector unit (i686), and GCC
// warns of it.
void Splat(unsigned char byte, Block* block) {
  for (std::size_t i = 0; i < sizeof(Block); ++i) (*block)[i] = byte;
}

void Load(const char* at, Block* block) {
  std::memcpy(block, at, sizeof(Block));
}

// The lanes a comparison set, as two words of eight lanes each.
template <typename Lanes>
std::array<std::uint64_t, 2> Words(const Lanes& lanes) {
  static_assert(sizeof(Lanes) == 16);
  std::array<std::uint64_t, 2> words;
  std::memcpy(words.data(), &lanes, sizeof words);
  return words;
}

}  // namespace

std::size_t LineEndFrom(std::string_view text, std::size_t at) {
  if constexpr (std::endian::native == std::endian::little) {
    Block crs, lfs, block;
    Splat('\r', &crs);
    Splat('\n', &lfs);
    for (; at + sizeof(Block) <= text.size(); at += sizeof(Block)) {
      Load(text.data() + at, &block);
      const auto [low, high] = Words((block == crs) | (block == lfs));
      // The first byte in memory is the lowest of a little-endian word.
      if (low != 0) return at + std::countr_zero(low) / 8;
      if (high != 0) return at + 8 + std::countr_zero(high) / 8;
    }
  }
  while (at < text.size() && text[at] != '\r' && text[at] != '\n') ++at;
  return at;
}

bool Finder::At(const char* text) const {
  if (!any_case_) return std::memcmp(text, needle_.data(), needle_.size()) == 0;
  for (std::size_t i = 0; i < needle_.size(); ++i) {
    if (shapes::Lower(text[i]) != shapes::Lower(needle_[i])) return false;
  }
  return true;
}

std::size_t Finder::In(std::string_view text, std::size_t from) const {
  const std::size_t m = needle_.size();
  if (m == 0 || from >= text.size() || text.size() - from < m) {
    return std::string_view::npos;
  }
  // Sixteen places at a time: the rest of the needle is compared only
  // where its first and its last byte both stand. In the listings that
  // pair is rare even where each byte is common ("(" and ")", "0" and "B"
  // seven apart). Either case: every byte is compared with its 0x20 bit
  // set, which lets through a few places more, never fewer.
  const char* const text_at = text.data();
  const std::size_t last = m - 1;
  const std::size_t end = text.size() - last;  // the places a match may start
  const auto fold = static_cast<unsigned char>(any_case_ ? 0x20 : 0);
  Block first_bytes, last_bytes, folds, firsts, lasts;
  Splat(static_cast<unsigned char>(needle_[0]) | fold, &first_bytes);
  Splat(static_cast<unsigned char>(needle_[last]) | fold, &last_bytes);
  Splat(fold, &folds);
  std::size_t at = from;
  for (; at + sizeof(Block) <= end; at += sizeof(Block)) {
    Load(text_at + at, &firsts);
    Load(text_at + at + last, &lasts);
    const auto both =
        ((firsts | folds) == first_bytes) & ((lasts | folds) == last_bytes);
    const auto [low, high] = Words(both);
    if ((low | high) == 0) continue;
    for (std::size_t i = 0; i < sizeof(Block); ++i) {
      if (both[i] != 0 && At(text_at + at + i)) return at + i;
    }
  }
  for (; at < end; ++at) {
    if (At(text_at + at)) return at;
  }
  return std::string_view::npos;
}

const Finder& RecordMarker() {
  static const Finder marker("(hex)");
  return marker;
}

}  // namespace venmark

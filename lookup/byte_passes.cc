#include "lookup/byte_passes.h"

#include <algorithm>
#include <bit>
#include <cstdint>

#include "lookup/byte_passes_internal.h"
#include "lookup/mac_shapes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace venmark {
namespace passes {

#if defined(VENMARK_AVX2_PASSES)
// In byte_passes_avx2.cc.
void SoftMasksAvx2(const unsigned char* p, std::size_t windows,
                   std::uint64_t* masks);
std::size_t MarkAvx2(const unsigned char* p, std::size_t* from, std::size_t to);
#endif

namespace {

static_assert(shapes::kShortestMac == 11, "RunStarts looks for eleven");

#if defined(__SSE2__)
struct Sse2 {
  using V = __m128i;
  static constexpr std::size_t kWidth = 16;
  static V Load(const unsigned char* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }
  static V Set(unsigned char c) { return _mm_set1_epi8(static_cast<char>(c)); }
  static V Or(V a, V b) { return _mm_or_si128(a, b); }
  static V And(V a, V b) { return _mm_and_si128(a, b); }
  static V Eq(V a, V b) { return _mm_cmpeq_epi8(a, b); }
  static V Sub(V a, V b) { return _mm_sub_epi8(a, b); }
  // x < n unsigned: a signed compare with the top bits turned.
  static V Below(V x, unsigned char n) {
    return _mm_cmplt_epi8(_mm_xor_si128(x, Set(0x80)), Set(n ^ 0x80));
  }
  static unsigned Bits(V v) {
    return static_cast<unsigned>(_mm_movemask_epi8(v));
  }
};
#endif

// Whether a mark stands at p (three bytes readable).
inline unsigned char IsMark(const unsigned char* p) {
  const unsigned char a = p[0] | 0x20, b = p[1] | 0x20, c = p[2] | 0x20;
  return static_cast<unsigned char>(
      ((a == 'd') & (b == 'd')) | ((a == 'm') & (b == 'a') & (c == 'c')) |
      ((a == 'w') & (b == 'a') & (c == 'r')) |
      ((a == 'r') & (p[1] == '-') & (c == 'n')) |
      ((a == 'g') & (p[1] == '-') & (c == 's')) | (p[0] == 0xD0) |
      ((p[0] == '\n') &
       ((p[1] == ' ') | (static_cast<unsigned char>(p[1] - '\t') < 5))));
}

// A block is tested whole, without a branch, which compilers turn into
// vector code of their own; only a block with a hit is walked.
std::size_t MarkPlain(const unsigned char* p, std::size_t* from,
                      std::size_t to) {
  constexpr std::size_t kBlock = 64;
  std::size_t i = *from;
  while (i + kBlock + 2 <= to) {
    unsigned char hit = 0;
    for (std::size_t k = 0; k < kBlock; ++k) hit |= IsMark(p + i + k);
    if (hit != 0) break;
    i += kBlock;
  }
  *from = i;
  return to;
}

}  // namespace
}  // namespace passes

std::vector<Simd> SupportedSimd() {
  std::vector<Simd> levels = {Simd::kPlain};
#if defined(__SSE2__)
  levels.push_back(Simd::kSse2);
#endif
#if defined(VENMARK_AVX2_PASSES)
  if (__builtin_cpu_supports("avx2")) levels.push_back(Simd::kAvx2);
#endif
  return levels;
}

Simd BestSimd() {
  static const Simd best = SupportedSimd().back();
  return best;
}

std::uint64_t SoftRuns::Mask(std::size_t window) {
  if (window - first_ < count_) return masks_[window - first_];
  const auto* p = reinterpret_cast<const unsigned char*>(text_.data());
  const std::size_t whole = text_.size() / 64;
  first_ = window;
  count_ = window < whole ? std::min(kWindows, whole - window) : 0;
  switch (simd_) {
#if defined(VENMARK_AVX2_PASSES)
    case Simd::kAvx2:
      passes::SoftMasksAvx2(p + 64 * window, count_, masks_.data());
      break;
#endif
#if defined(__SSE2__)
    case Simd::kSse2:
      passes::SoftMasksOf<passes::Sse2>(p + 64 * window, count_, masks_.data());
      break;
#endif
    default:
      for (std::size_t w = 0; w < count_; ++w) {
        const unsigned char* bytes = p + 64 * (window + w);
        masks_[w] = 0;
        for (std::size_t k = 0; k < 64; ++k) {
          masks_[w] |=
              std::uint64_t{shapes::IsSoft(static_cast<char>(bytes[k]))} << k;
        }
      }
      break;
  }
  if (count_ == kWindows) return masks_[0];
  // The last window, short or empty, ends the text.
  std::uint64_t last = 0;
  for (std::size_t at = 64 * (window + count_); at < text_.size(); ++at) {
    last |= std::uint64_t{shapes::IsSoft(text_[at])} << (at % 64);
  }
  masks_[count_++] = last;
  return masks_[0];
}

std::size_t SoftRuns::Next(std::size_t from, std::size_t* end) {
  for (std::size_t window = from / 64; 64 * window < text_.size(); ++window) {
    const std::size_t skip = window == from / 64 ? from % 64 : 0;
    const std::uint64_t low = Mask(window) >> skip << skip;
    const std::uint64_t high = Mask(window + 1);
    if (const std::uint64_t runs = passes::RunStarts(low, high)) {
      const std::size_t start =
          64 * window + static_cast<std::size_t>(std::countr_zero(runs));
      std::size_t stop = start;
      for (;;) {
        const std::size_t ones = static_cast<std::size_t>(
            std::countr_one(Mask(stop / 64) >> (stop % 64)));
        stop += ones;
        if (stop % 64 != 0 || ones == 0) break;
      }
      *end = std::min(stop, text_.size());
      return start;
    }
  }
  return std::string_view::npos;
}

std::size_t NextLabelMark(std::string_view text, std::size_t from,
                          std::size_t to, Simd simd) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = from;
  std::size_t mark = to;
  switch (simd) {
#if defined(VENMARK_AVX2_PASSES)
    case Simd::kAvx2:
      mark = passes::MarkAvx2(p, &i, to);
      break;
#endif
#if defined(__SSE2__)
    case Simd::kSse2:
      mark = passes::MarkByVectors<passes::Sse2>(p, &i, to);
      break;
#endif
    default:
      mark = passes::MarkPlain(p, &i, to);
      break;
  }
  if (mark != to) return mark;
  for (; i + 2 < to; ++i) {
    if (passes::IsMark(p + i)) return i;
  }
  // The last two bytes: "dd", a Cyrillic letter and a blank line still
  // count.
  for (; i < to; ++i) {
    const bool two = i + 1 < to;
    if (p[i] == 0xD0 ||
        (two && (p[i] | 0x20) == 'd' && (p[i + 1] | 0x20) == 'd') ||
        (two && p[i] == '\n' &&
         (p[i + 1] == ' ' ||
          static_cast<unsigned char>(p[i + 1] - '\t') < 5))) {
      return i;
    }
  }
  return to;
}

}  // namespace venmark

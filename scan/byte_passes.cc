#include "scan/byte_passes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

#include "scan/byte_classes.h"
#include "scan/byte_passes_internal.h"
#include "scan/mac_shapes.h"

namespace venmark {
namespace passes {

#if defined(VENMARK_AVX2_PASSES)
// In byte_passes_avx2.cc and byte_passes_avx512.cc.
void ClassesAvx2(const unsigned char* p, std::size_t windows, ByteClasses* out);
void ClassesAvx512(const unsigned char* p, std::size_t windows,
                   ByteClasses* out);
#endif

namespace {

// Bit k set where bits k to k + 10 of the 128 of high:low all are, for k
// below 64: where eleven soft bytes, the shortest MAC, start.
std::uint64_t RunStarts(std::uint64_t low, std::uint64_t high) {
  static_assert(shapes::kShortestMac == 11);
  // Two set in a row, then four, eight, eleven.
  const std::uint64_t low2 = low & (low >> 1 | high << 63);
  const std::uint64_t high2 = high & high >> 1;
  const std::uint64_t low4 = low2 & (low2 >> 2 | high2 << 62);
  const std::uint64_t high4 = high2 & high2 >> 2;
  const std::uint64_t low8 = low4 & (low4 >> 4 | high4 << 60);
  const std::uint64_t high8 = high4 & high4 >> 4;
  return low8 & (low8 >> 3 | high8 << 61);
}

// Bits of the 128 of high:low from bit n on, 0 < n < 64.
std::uint64_t From(std::uint64_t low, std::uint64_t high, unsigned n) {
  return low >> n | high << (64 - n);
}

// The classes of each byte value, a bit each, in the order of ByteClasses.
constexpr unsigned kPlanes = byte_classes::kCount;
constexpr const std::array<std::uint16_t, 256>& kClassBits = byte_classes::kOf;
static_assert(sizeof(ByteClasses) == kPlanes * sizeof(std::uint64_t));

// The plain classes of the bytes [p, p + n), n <= 64: eight bytes' class
// bits gathered into two words, and each class's bit of the eight moved
// into one byte by a multiplication.
ByteClasses ClassesPlain(const unsigned char* p, std::size_t n) {
  std::uint64_t planes[kPlanes] = {};
  for (std::size_t k = 0; k < n; k += 8) {
    std::uint64_t low = 0, high = 0;
    for (std::size_t i = 0; i < 8 && k + i < n; ++i) {
      const std::uint16_t bits = kClassBits[p[k + i]];
      low |= std::uint64_t{bits & 0xFFu} << (8 * i);
      high |= std::uint64_t{bits} >> 8 << (8 * i);
    }
    for (unsigned plane = 0; plane < kPlanes; ++plane) {
      const std::uint64_t gathered = plane < 8 ? low : high;
      const std::uint64_t ones = gathered >> plane % 8 & 0x0101010101010101u;
      planes[plane] |= (ones * 0x0102040810204080u >> 56) << k;
    }
  }
  return {planes[0], planes[1], planes[2], planes[3], planes[4],
          planes[5], planes[6], planes[7], planes[8]};
}

}  // namespace
}  // namespace passes

std::vector<Simd> SupportedSimd() {
  std::vector<Simd> levels = {Simd::kPlain};
#if defined(__SSE2__)
  levels.push_back(Simd::kSse2);
#endif
#if defined(VENMARK_AVX2_PASSES)
  if (__builtin_cpu_supports("avx2")) {
    levels.push_back(Simd::kAvx2);
    // The processor and the system both keep its registers.
    if (__builtin_cpu_supports("avx512bw")) levels.push_back(Simd::kAvx512);
  }
#endif
  return levels;
}

Simd BestSimd() {
  static const Simd best = SupportedSimd().back();
  return best;
}

namespace passes {
namespace {

// The places of a window whose bytes are of classes here, those of the
// next window being next (for what a place needs ahead of it), and whose
// byte before is alphanumeric or not.
std::uint64_t StartsOf(const ByteClasses& here, const ByteClasses& next,
                       bool alnum_before) {
  const std::uint64_t h = here.hex, hn = next.hex;
  const std::uint64_t h2 = h & From(h, hn, 1), h2n = hn & hn >> 1;
  const std::uint64_t word_starts =
      h & ~(here.alnum << 1 | std::uint64_t{alnum_before});
  // 44 19 b6 …: three pairs joined by single spaces, in a run of their own.
  const std::uint64_t space = here.space, space_next = next.space;
  const std::uint64_t pairs = h2 & From(space, space_next, 2) &
                              From(h2, h2n, 3) & From(space, space_next, 5) &
                              From(h2, h2n, 6);
  // Most windows of a text hold no run long enough: they are done first.
  const std::uint64_t soft =
      here.hex | here.colon | here.dash | here.dot | here.x | here.escape;
  const std::uint64_t soft_next =
      next.hex | next.colon | next.dash | next.dot | next.x | next.escape;
  const std::uint64_t runs = RunStarts(soft, soft_next);
  if (runs == 0) return word_starts & pairs;
  const std::uint64_t h4 = h2 & From(h2, h2n, 2), h4n = h2n & h2n >> 2;
  const std::uint64_t h3 = h2 & From(h, hn, 2);
  const std::uint64_t h6 = h4 & From(h2, h2n, 4);
  const std::uint64_t h8 = h4 & From(h4, h4n, 4), h8n = h4n & h4n >> 4;
  const std::uint64_t h12 = h8 & From(h4, h4n, 8), h12n = h8n & h4n >> 8;
  const std::uint64_t h14 = h12 & From(h2, h2n, 12);
  const std::uint64_t h20 = h12 & From(h8, h8n, 12);
  const std::uint64_t h28 = h20 & From(h8, h8n, 20);
  const std::uint64_t colon_dash = here.colon | here.dash;
  const std::uint64_t dot_dash = here.dot | here.dash;
  auto ends = [&](unsigned n) { return ~From(here.alnum, next.alnum, n); };
  const std::uint64_t shapes =
      // 0:1d:aa:8f:23:ed
      From(here.colon, next.colon, 1) |
      // 00:1a:2b:3c:4d:5e, 00-1a-2b-3c-4d-5e
      (From(h, hn, 1) & From(colon_dash, next.colon | next.dash, 2)) |
      // 3C\:52\:…, F8%3AE4%3A…
      (h2 & From(here.escape, next.escape, 2)) |
      // fe80::21d:aaff:fe61:83c, 2001:db8:…
      (h3 & From(here.colon, next.colon, 3)) |
      (h4 & From(here.colon, next.colon, 4)) |
      // 001a.2b3c.4d5e, 001a-2b3c-4d5e, 0100.1a2b.3c4d.5e
      (h4 & From(dot_dash, next.dot | next.dash, 4)) |
      // 001e49-7a33c1
      (h6 & From(here.dash, next.dash, 6)) |
      // 001A2B3C4D5E, 019061ae3d5c1f, the DUIDs in bare digits
      (h12 & ends(12)) | (h14 & ends(14)) | (h20 & ends(20)) |
      (h28 & ends(28)) |
      // 0x001A2B3C4D5E
      (From(here.x, next.x, 1) & From(h12, h12n, 2) & ends(14));
  return word_starts & ((shapes & runs) | pairs);
}

}  // namespace
}  // namespace passes

void MacStarts::Fill(std::size_t window) {
  const auto* p = reinterpret_cast<const unsigned char*>(text_.data());
  const std::size_t windows = (text_.size() + 63) / 64;
  first_ = window;
  count_ = window < windows ? std::min(kWindows, windows - window) : 0;
  // The classes of the windows and of the one after them: what a place
  // needs ahead of it may lie there. Whole windows go to the vectors.
  std::array<passes::ByteClasses, kWindows + 1> classes;
  const std::size_t whole = std::min(
      count_ + 1, text_.size() / 64 - std::min(window, text_.size() / 64));
  switch (simd_) {
#if defined(VENMARK_AVX2_PASSES)
    case Simd::kAvx2:
      passes::ClassesAvx2(p + 64 * window, whole, classes.data());
      break;
    case Simd::kAvx512:
      passes::ClassesAvx512(p + 64 * window, whole, classes.data());
      break;
#endif
#if defined(__SSE2__)
    case Simd::kSse2:
      passes::ClassesOfWindows<passes::Sse2>(p + 64 * window, whole,
                                             classes.data());
      break;
#endif
    default:
      for (std::size_t w = 0; w < whole; ++w) {
        classes[w] = passes::ClassesPlain(p + 64 * (window + w), 64);
      }
      break;
  }
  if (whole < count_ + 1) {
    // The short window that ends the text, and none past it.
    const std::size_t at = std::min(64 * (window + whole), text_.size());
    classes[whole] = passes::ClassesPlain(p + at, text_.size() - at);
    for (std::size_t w = whole + 1; w <= count_; ++w) classes[w] = {};
  }
  const char before = window > 0 ? text_[64 * window - 1] : ' ';
  bool alnum_before = shapes::IsAlnum(before);
  std::uint64_t g_before = before == 'G';
  for (std::size_t w = 0; w < count_; ++w) {
    starts_[w] = passes::StartsOf(classes[w], classes[w + 1], alnum_before);
    tags_[w] = classes[w].colon & (classes[w].g << 1 | g_before);
    alnum_before = classes[w].alnum >> 63;
    g_before = classes[w].g >> 63;
  }
}

std::size_t MacStarts::Next(std::size_t from, bool* tag) {
  for (std::size_t window = from / 64; 64 * window < text_.size(); ++window) {
    if (window - first_ >= count_) Fill(window);
    const std::size_t skip = window == from / 64 ? from % 64 : 0;
    const std::uint64_t tags = tags_[window - first_] >> skip << skip;
    const std::uint64_t places =
        (starts_[window - first_] >> skip << skip) | tags;
    if (places != 0) {
      const int bit = std::countr_zero(places);
      *tag = (tags >> bit & 1) != 0;
      return 64 * window + static_cast<std::size_t>(bit);
    }
  }
  return std::string_view::npos;
}

}  // namespace venmark

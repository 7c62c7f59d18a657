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
// In byte_passes_avx2.cc.
void ClassesAvx2(const unsigned char* p, std::size_t windows, ByteClasses* out);
// In byte_passes_avx512.cc: the places and tags of count windows from
// window on, as MacStarts::Fill finds them, into starts and tags, which
// have room for 16.
void StartsAvx512(std::string_view text, std::size_t window, std::size_t count,
                  std::uint64_t* starts, std::uint64_t* tags);
#endif

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

void MacStarts::Fill(std::size_t window) {
  const auto* p = reinterpret_cast<const unsigned char*>(text_.data());
  const std::size_t windows = (text_.size() + 63) / 64;
  first_ = window;
  count_ = window < windows ? std::min(kWindows, windows - window) : 0;
#if defined(VENMARK_AVX2_PASSES)
  if (simd_ == Simd::kAvx512) {
    static_assert(kWindows == 16);
    passes::StartsAvx512(text_, window, count_, starts_.data(), tags_.data());
    return;
  }
#endif
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
    starts_[w] = passes::StartsOf(classes[w], classes[w + 1],
                                  std::uint64_t{alnum_before});
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

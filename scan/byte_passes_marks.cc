// The label context's pass: where a line may hold a label, or a blank
// line begins.
#include <cstddef>
#include <string_view>

#include "scan/byte_passes.h"
#include "scan/byte_passes_internal.h"

namespace venmark {
namespace passes {

#if defined(VENMARK_AVX2_PASSES)
// In byte_passes_avx2.cc.
std::size_t MarkAvx2(const unsigned char* p, std::size_t* from, std::size_t to);
#endif

namespace {

// Whether a mark stands at p (three bytes readable).
inline unsigned char IsMark(const unsigned char* p) {
  const unsigned char a = p[0] | 0x20, b = p[1] | 0x20, c = p[2] | 0x20;
  return static_cast<unsigned char>(
      ((a == 'd') & (b == 'd')) | ((a == 'm') & (b == 'a') & (c == 'c')) |
      ((a == 'w') & (b == 'a') & (c == 'r')) |
      ((a == 'r') & ((p[1] == '-') | (p[1] == '_')) &
       ((c == 'n') | (c == 'p') | (c == 'i'))) |
      (((a == 'g') | (a == 'd')) & (p[1] == '-') & (c == 's')) |
      ((a == 'i') & (b == 'q') & (c == 'u')) |
      ((a == 'b') & (b == 's') & (c == 's')) |
      ((a == 'u') & (b == 'i') & (c == 'd')) |
      ((a == 'l') & (b == 'i') & (c == 'e')) | (p[0] == 0xD0) |
      ((p[0] == '\n') &
       ((p[1] == ' ') | (static_cast<unsigned char>(p[1] - '\t') < 5))) |
      ((p[0] == '\r') & ((p[1] == ' ') | (p[1] == '\t') |
                         (static_cast<unsigned char>(p[1] - '\v') < 3))));
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

std::size_t NextLabelMark(std::string_view text, std::size_t from,
                          std::size_t to, Simd simd) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t i = from;
  std::size_t mark = to;
  switch (simd) {
#if defined(VENMARK_AVX2_PASSES)
    case Simd::kAvx2:
    case Simd::kAvx512:
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
  // The last two bytes, followed by zeros, which end every mark.
  for (; i < to; ++i) {
    const unsigned char next = i + 1 < to ? p[i + 1] : 0;
    const unsigned char last[3] = {p[i], next, 0};
    if (passes::IsMark(last)) return i;
  }
  return to;
}

}  // namespace venmark

// The classes pass for processors with AVX-512 (BW): a window of 64 bytes
// is one vector, and each class's bits come straight out of a compare,
// where AVX2 gathers them from two halves. This file alone is compiled
// for AVX-512 and is called only after the processor said it has it.
#include <immintrin.h>

#include "scan/byte_passes.h"

namespace venmark::passes {

void ClassesAvx512(const unsigned char* p, std::size_t windows,
                   ByteClasses* out) {
  const auto set = [](char c) { return _mm512_set1_epi8(c); };
  for (std::size_t w = 0; w < windows; ++w) {
    const __m512i v = _mm512_loadu_si512(p + 64 * w);
    const __m512i lower = _mm512_or_si512(v, set(0x20));
    const __mmask64 digit =
        _mm512_cmplt_epu8_mask(_mm512_sub_epi8(v, set('0')), set(10));
    const __m512i from_a = _mm512_sub_epi8(lower, set('a'));
    ByteClasses& classes = out[w];
    classes.hex = digit | _mm512_cmplt_epu8_mask(from_a, set(6));
    classes.alnum = digit | _mm512_cmplt_epu8_mask(from_a, set(26));
    classes.colon = _mm512_cmpeq_epi8_mask(v, set(':'));
    classes.dash = _mm512_cmpeq_epi8_mask(v, set('-'));
    classes.dot = _mm512_cmpeq_epi8_mask(v, set('.'));
    classes.x = _mm512_cmpeq_epi8_mask(lower, set('x'));
    classes.g = _mm512_cmpeq_epi8_mask(v, set('G'));
    classes.escape = _mm512_cmpeq_epi8_mask(v, set('\\')) |
                     _mm512_cmpeq_epi8_mask(v, set('%'));
    classes.space = _mm512_cmpeq_epi8_mask(v, set(' '));
  }
}

}  // namespace venmark::passes

// The vector passes for processors with AVX2. This file alone is compiled
// for AVX2 and is called only after the processor said it has it.
#include <immintrin.h>

#include "scan/byte_passes_internal.h"

namespace venmark::passes {
namespace {

struct Avx2 {
  using V = __m256i;
  static constexpr std::size_t kWidth = 32;
  static V Load(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  }
  static V Set(unsigned char c) {
    return _mm256_set1_epi8(static_cast<char>(c));
  }
  static V Or(V a, V b) { return _mm256_or_si256(a, b); }
  static V And(V a, V b) { return _mm256_and_si256(a, b); }
  static V Eq(V a, V b) { return _mm256_cmpeq_epi8(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_epi8(a, b); }
  // x < n unsigned: a signed compare with the top bits turned.
  static V Below(V x, unsigned char n) {
    return _mm256_cmpgt_epi8(Set(n ^ 0x80), _mm256_xor_si256(x, Set(0x80)));
  }
  static unsigned Bits(V v) {
    return static_cast<unsigned>(_mm256_movemask_epi8(v));
  }
};

}  // namespace

void ClassesAvx2(const unsigned char* p, std::size_t windows,
                 ByteClasses* out) {
  ClassesOfWindows<Avx2>(p, windows, out);
}

std::size_t MarkAvx2(const unsigned char* p, std::size_t* from,
                     std::size_t to) {
  return MarkByVectors<Avx2>(p, from, to);
}

}  // namespace venmark::passes

// The vector passes for processors with AVX2. This file alone is compiled
// for AVX2 and is called only after the processor said it has it.
#include <immintrin.h>

#include <array>
#include <initializer_list>

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

namespace {

// Where a mark may begin, looked for first at half MarksOf's cost: a bit
// per kind of mark, set in the class of each byte that may be its first
// byte, of each that may be its second and of each that may be its third;
// a mark may begin where the classes of three bytes in turn share a bit.
// A byte's class is that of its low half-byte and its high one together,
// so each kind's bytes are what those halves allow, more than the mark's
// own bytes at times ("ga" for "ma"): MarksOf decides.
struct NibbleTables {
  std::array<unsigned char, 16> low{}, high{};
};

// The tables of kinds, each its bytes: bit k is kind k's.
constexpr NibbleTables TablesOf(
    std::initializer_list<std::initializer_list<unsigned char>> kinds) {
  NibbleTables tables;
  unsigned char bit = 1;
  for (const auto& bytes : kinds) {
    for (const unsigned char byte : bytes) {
      tables.low[byte & 0xF] |= bit;
      tables.high[byte >> 4] |= bit;
    }
    bit = static_cast<unsigned char>(bit << 1);
  }
  return tables;
}

// dd; ma, wa; r- r_ g- d-; iq; ui, li; bs; a line break before a blank;
// a Cyrillic letter's first byte, before any byte.
constexpr NibbleTables kFirst = TablesOf({{'d', 'D'},
                                          {'m', 'M', 'w', 'W'},
                                          {'r', 'R', 'g', 'G', 'd', 'D'},
                                          {'i', 'I'},
                                          {'u', 'U', 'l', 'L'},
                                          {'b', 'B'},
                                          {'\n', '\r'},
                                          {0xD0}});
constexpr NibbleTables kSecond = [] {
  NibbleTables tables = TablesOf({{'d', 'D'},
                                  {'a', 'A'},
                                  {'-', '_'},
                                  {'q', 'Q'},
                                  {'i', 'I'},
                                  {'s', 'S'},
                                  {' ', '\t', '\n', '\v', '\f', '\r'}});
  // Any byte follows a Cyrillic letter's first.
  for (unsigned char& bits : tables.low) bits |= 0x80;
  for (unsigned char& bits : tables.high) bits |= 0x80;
  return tables;
}();
// mac, war; r-n r-p r-i g-s d-s; iqu; uid, lie; bss. A two-byte mark, or
// a Cyrillic letter, before any byte.
constexpr NibbleTables kThird = [] {
  NibbleTables tables = TablesOf({{},
                                  {'c', 'C', 'r', 'R'},
                                  {'n', 'N', 'p', 'P', 'i', 'I', 's', 'S'},
                                  {'u', 'U'},
                                  {'d', 'D', 'e', 'E'},
                                  {'s', 'S'}});
  for (unsigned char& bits : tables.low) bits |= 0b1100'0001;
  for (unsigned char& bits : tables.high) bits |= 0b1100'0001;
  return tables;
}();

__m256i Table(const std::array<unsigned char, 16>& bits) {
  const __m128i half =
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(bits.data()));
  return _mm256_broadcastsi128_si256(half);
}

// The class of each byte of v by tables low and high.
__m256i ClassOf(__m256i v, __m256i low, __m256i high) {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  return _mm256_and_si256(
      _mm256_shuffle_epi8(low, _mm256_and_si256(v, nibble)),
      _mm256_shuffle_epi8(high,
                          _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble)));
}

}  // namespace

std::size_t MarkAvx2(const unsigned char* p, std::size_t* from,
                     std::size_t to) {
  const __m256i first_low = Table(kFirst.low), first_high = Table(kFirst.high);
  const __m256i second_low = Table(kSecond.low),
                second_high = Table(kSecond.high);
  const __m256i third_low = Table(kThird.low), third_high = Table(kThird.high);
  std::size_t i = *from;
  for (; i + Avx2::kWidth + 2 <= to; i += Avx2::kWidth) {
    const __m256i may = _mm256_and_si256(
        _mm256_and_si256(
            ClassOf(Avx2::Load(p + i), first_low, first_high),
            ClassOf(Avx2::Load(p + i + 1), second_low, second_high)),
        ClassOf(Avx2::Load(p + i + 2), third_low, third_high));
    if (_mm256_testz_si256(may, may)) continue;
    if (const unsigned marks = MarksOf<Avx2>(p + i)) {
      return i + static_cast<std::size_t>(__builtin_ctz(marks));
    }
  }
  *from = i;
  return to;
}

}  // namespace venmark::passes

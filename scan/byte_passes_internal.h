#pragma once

// The vector passes of byte_passes.cc and byte_passes_marks.cc, written
// once over a set of vector operations (Ops: Sse2 below, Avx2 in
// byte_passes_avx2.cc).
// Everything here has internal linkage on purpose: byte_passes_avx2.cc is
// compiled for AVX2, and a function both files shared would leave the
// linker free to keep the AVX2 copy for processors without it.
//
// Ops has: V (the vector), kWidth (its bytes), Load, Set, Or, And, Eq, Sub,
// Below (unsigned x < n in each byte), Bits (the top bit of each byte).

#include <cstddef>
#include <cstdint>

#include "scan/byte_passes.h"  // ByteClasses, a plain struct

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace venmark::passes {
namespace {

// The operations of SSE2, which every x86-64 has.
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

}  // namespace

// The classes of the 64 bytes from p.
template <typename Ops>
static inline ByteClasses ClassesOf(const unsigned char* p) {
  using V = typename Ops::V;
  ByteClasses out{};
  for (std::size_t k = 0; k < 64; k += Ops::kWidth) {
    const V v = Ops::Load(p + k);
    const V lower = Ops::Or(v, Ops::Set(0x20));
    const V digit = Ops::Below(Ops::Sub(v, Ops::Set('0')), 10);
    const V from_a = Ops::Sub(lower, Ops::Set('a'));
    const V hex = Ops::Or(digit, Ops::Below(from_a, 6));
    const V alnum = Ops::Or(digit, Ops::Below(from_a, 26));
    auto bits = [k](unsigned b) { return std::uint64_t{b} << k; };
    out.hex |= bits(Ops::Bits(hex));
    out.alnum |= bits(Ops::Bits(alnum));
    out.colon |= bits(Ops::Bits(Ops::Eq(v, Ops::Set(':'))));
    out.dash |= bits(Ops::Bits(Ops::Eq(v, Ops::Set('-'))));
    out.dot |= bits(Ops::Bits(Ops::Eq(v, Ops::Set('.'))));
    out.x |= bits(Ops::Bits(Ops::Eq(lower, Ops::Set('x'))));
    out.g |= bits(Ops::Bits(Ops::Eq(v, Ops::Set('G'))));
    out.escape |= bits(Ops::Bits(
        Ops::Or(Ops::Eq(v, Ops::Set('\\')), Ops::Eq(v, Ops::Set('%')))));
    out.space |= bits(Ops::Bits(Ops::Eq(v, Ops::Set(' '))));
  }
  return out;
}

// The classes of `windows` windows of 64 bytes from p into out.
template <typename Ops>
static inline void ClassesOfWindows(const unsigned char* p, std::size_t windows,
                                    ByteClasses* out) {
  for (std::size_t w = 0; w < windows; ++w) out[w] = ClassesOf<Ops>(p + 64 * w);
}

// The label context's marks at p .. p + kWidth - 1, a bit each (kWidth + 2
// bytes readable): "dd", "mac", "war", "r-n", "r-p", "r-i", "r_n", "r_p",
// "r_i", "g-s", "d-s", "uid", "lie", "iqu", "bss" in any case, a
// Cyrillic letter's first byte, a line break (LF, or a CR no LF follows)
// before a blank or another.
template <typename Ops>
static inline unsigned MarksOf(const unsigned char* p) {
  using V = typename Ops::V;
  const V v0 = Ops::Load(p), v1 = Ops::Load(p + 1), v2 = Ops::Load(p + 2);
  const V lift = Ops::Set(0x20);
  const V l0 = Ops::Or(v0, lift), l1 = Ops::Or(v1, lift),
          l2 = Ops::Or(v2, lift);
  const V a1 = Ops::Eq(l1, Ops::Set('a')), dash1 = Ops::Eq(v1, Ops::Set('-'));
  const V dd = Ops::And(Ops::Eq(l0, Ops::Set('d')), Ops::Eq(l1, Ops::Set('d')));
  const V mac = Ops::And(Ops::And(Ops::Eq(l0, Ops::Set('m')), a1),
                         Ops::Eq(l2, Ops::Set('c')));
  const V war = Ops::And(Ops::And(Ops::Eq(l0, Ops::Set('w')), a1),
                         Ops::Eq(l2, Ops::Set('r')));
  // "r-n", "r-p", "r-i" and the same with "_" (user-name, user-password,
  // server-id, server_id).
  const V rn = Ops::And(
      Ops::And(Ops::Eq(l0, Ops::Set('r')),
               Ops::Or(dash1, Ops::Eq(v1, Ops::Set('_')))),
      Ops::Or(Ops::Or(Ops::Eq(l2, Ops::Set('n')), Ops::Eq(l2, Ops::Set('p'))),
              Ops::Eq(l2, Ops::Set('i'))));
  // "g-s" and "d-s" (calling-station-id, called-station-id).
  const V gs = Ops::And(
      Ops::And(Ops::Or(Ops::Eq(l0, Ops::Set('g')), Ops::Eq(l0, Ops::Set('d'))),
               dash1),
      Ops::Eq(l2, Ops::Set('s')));
  // "iqu" (unique id) and "bss" (bssid).
  const V iqu =
      Ops::And(Ops::And(Ops::Eq(l0, Ops::Set('i')), Ops::Eq(l1, Ops::Set('q'))),
               Ops::Eq(l2, Ops::Set('u')));
  const V bss =
      Ops::And(Ops::And(Ops::Eq(l0, Ops::Set('b')), Ops::Eq(l1, Ops::Set('s'))),
               Ops::Eq(l2, Ops::Set('s')));
  const V i1 = Ops::Eq(l1, Ops::Set('i'));
  const V uid = Ops::And(Ops::And(Ops::Eq(l0, Ops::Set('u')), i1),
                         Ops::Eq(l2, Ops::Set('d')));
  const V lie = Ops::And(Ops::And(Ops::Eq(l0, Ops::Set('l')), i1),
                         Ops::Eq(l2, Ops::Set('e')));
  // A blank after a line break: a space, or \t \n \v \f \r (9 to 13);
  // after a CR, the same less the LF that makes it a CR LF (old Mac text
  // ends its lines with a lone CR).
  const V space = Ops::Eq(v1, Ops::Set(' '));
  const V lf_blank =
      Ops::And(Ops::Eq(v0, Ops::Set('\n')),
               Ops::Or(space, Ops::Below(Ops::Sub(v1, Ops::Set('\t')), 5)));
  const V cr_blank =
      Ops::And(Ops::Eq(v0, Ops::Set('\r')),
               Ops::Or(Ops::Or(space, Ops::Eq(v1, Ops::Set('\t'))),
                       Ops::Below(Ops::Sub(v1, Ops::Set('\v')), 3)));
  const V blank = Ops::Or(lf_blank, cr_blank);
  const V cyrillic = Ops::Eq(v0, Ops::Set(0xD0));
  return Ops::Bits(Ops::Or(
      Ops::Or(Ops::Or(Ops::Or(dd, mac), Ops::Or(war, rn)), Ops::Or(iqu, bss)),
      Ops::Or(Ops::Or(gs, cyrillic), Ops::Or(blank, Ops::Or(uid, lie)))));
}

// The first mark in [*from, to) by whole vectors, or to, *from then being
// where to go on a byte at a time.
template <typename Ops>
static inline std::size_t MarkByVectors(const unsigned char* p,
                                        std::size_t* from, std::size_t to) {
  std::size_t i = *from;
  for (; i + Ops::kWidth + 2 <= to; i += Ops::kWidth) {
    if (const unsigned marks = MarksOf<Ops>(p + i)) {
      return i + static_cast<std::size_t>(__builtin_ctz(marks));
    }
  }
  *from = i;
  return to;
}

}  // namespace venmark::passes

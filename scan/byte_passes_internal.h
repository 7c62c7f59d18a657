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

#include <array>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "scan/byte_classes.h"
#include "scan/byte_passes.h"  // ByteClasses, a plain struct
#include "scan/mac_shapes.h"

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

// Bit k set where bits k to k + 10 of the 128 of high:low all are, for k
// below 64: where eleven soft bytes, the shortest MAC, start.
template <typename W>
static inline W RunStarts(W low, W high) {
  static_assert(shapes::kShortestMac == 11);
  // Two set in a row, then four, eight, eleven.
  const W low2 = low & (low >> 1 | high << 63);
  const W high2 = high & high >> 1;
  const W low4 = low2 & (low2 >> 2 | high2 << 62);
  const W high4 = high2 & high2 >> 2;
  const W low8 = low4 & (low4 >> 4 | high4 << 60);
  const W high8 = high4 & high4 >> 4;
  return low8 & (low8 >> 3 | high8 << 61);
}

// Bits of the 128 of high:low from bit n on, 0 < n < 64.
template <typename W>
static inline W From(W low, W high, unsigned n) {
  return low >> n | high << (64 - n);
}

// The classes of each byte value, a bit each, in the order of ByteClasses.
inline constexpr unsigned kPlanes = byte_classes::kCount;
inline constexpr const std::array<std::uint16_t, 256>& kClassBits =
    byte_classes::kOf;
static_assert(sizeof(ByteClasses) == kPlanes * sizeof(std::uint64_t));

// The plain classes of the bytes [p, p + n), n <= 64: eight bytes' class
// bits gathered into two words, and each class's bit of the eight moved
// into one byte by a multiplication.
static inline ByteClasses ClassesPlain(const unsigned char* p, std::size_t n) {
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

// The places of a window whose bytes are of classes here, those of the
// next window being next (for what a place needs ahead of it), and whose
// byte before is alphanumeric (alnum_before 1) or not (0). W is a word of
// 64 bits, or a vector of them for as many windows at once.
template <typename Classes, typename W>
static inline W StartsOf(const Classes& here, const Classes& next,
                         W alnum_before) {
  const W h = here.hex, hn = next.hex;
  const W h2 = h & From(h, hn, 1), h2n = hn & hn >> 1;
  const W word_starts = h & ~(here.alnum << 1 | alnum_before);
  // 44 19 b6 …: three pairs joined by single spaces, in a run of their own.
  const W space = here.space, space_next = next.space;
  const W pairs = h2 & From(space, space_next, 2) & From(h2, h2n, 3) &
                  From(space, space_next, 5) & From(h2, h2n, 6);
  // Most windows of a text hold no run long enough: they are done first.
  const W soft =
      here.hex | here.colon | here.dash | here.dot | here.x | here.escape;
  const W soft_next =
      next.hex | next.colon | next.dash | next.dot | next.x | next.escape;
  const W runs = RunStarts(soft, soft_next);
  if constexpr (std::is_integral_v<W>) {
    if (runs == 0) return word_starts & pairs;
  }
  const W h4 = h2 & From(h2, h2n, 2), h4n = h2n & h2n >> 2;
  const W h3 = h2 & From(h, hn, 2);
  const W h6 = h4 & From(h2, h2n, 4);
  const W h8 = h4 & From(h4, h4n, 4), h8n = h4n & h4n >> 4;
  const W h12 = h8 & From(h4, h4n, 8), h12n = h8n & h4n >> 8;
  const W h14 = h12 & From(h2, h2n, 12);
  const W h20 = h12 & From(h8, h8n, 12);
  const W h28 = h20 & From(h8, h8n, 20);
  const W colon_dash = here.colon | here.dash;
  const W dot_dash = here.dot | here.dash;
  auto ends = [&](unsigned n) { return ~From(here.alnum, next.alnum, n); };
  const W shapes =
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

}  // namespace venmark::passes

// The classes pass for processors with AVX-512 (BW): a window of 64 bytes
// is one vector, each class's bits straight out of a compare, where AVX2
// gathers them from two halves; and the places of eight windows found at
// once, a window's bits being one lane of a vector. This file alone is
// compiled for AVX-512 and is called only after the processor said it
// has it.
#include <immintrin.h>

#include <cstring>

#include "scan/byte_passes_internal.h"

namespace venmark::passes {
namespace {

// Eight words of 64 bits, one window's bits each.
using Lanes = std::uint64_t __attribute__((vector_size(64)));

// One class of each window of a pass: slot 0 the window before the first
// (its last bit alone counts), then the windows, then zeros, so that eight
// lanes may be taken from any window on.
constexpr std::size_t kSlots = 16 + 2 + 8;
using Plane = std::uint64_t[kSlots];

// The classes of windows in planes, as ByteClasses has them.
struct Planes {
  Plane hex, alnum, colon, dash, dot, x, g, escape, space;

  void Put(std::size_t slot, const ByteClasses& classes) {
    hex[slot] = classes.hex;
    alnum[slot] = classes.alnum;
    colon[slot] = classes.colon;
    dash[slot] = classes.dash;
    dot[slot] = classes.dot;
    x[slot] = classes.x;
    g[slot] = classes.g;
    escape[slot] = classes.escape;
    space[slot] = classes.space;
  }
};

// The classes of eight windows from slot on.
struct LaneClasses {
  Lanes hex, alnum, colon, dash, dot, x, g, escape, space;
};

Lanes Take(const Plane& plane, std::size_t slot) {
  Lanes lanes;
  std::memcpy(&lanes, plane + slot, sizeof lanes);
  return lanes;
}

LaneClasses TakeAll(const Planes& planes, std::size_t slot) {
  return {Take(planes.hex, slot),   Take(planes.alnum, slot),
          Take(planes.colon, slot), Take(planes.dash, slot),
          Take(planes.dot, slot),   Take(planes.x, slot),
          Take(planes.g, slot),     Take(planes.escape, slot),
          Take(planes.space, slot)};
}

// The classes of the 64 bytes from p into slot of planes.
void PutClasses(const unsigned char* p, std::size_t slot, Planes* planes) {
  const auto set = [](char c) { return _mm512_set1_epi8(c); };
  const __m512i v = _mm512_loadu_si512(p);
  const __m512i lower = _mm512_or_si512(v, set(0x20));
  const __mmask64 digit =
      _mm512_cmplt_epu8_mask(_mm512_sub_epi8(v, set('0')), set(10));
  const __m512i from_a = _mm512_sub_epi8(lower, set('a'));
  planes->hex[slot] = digit | _mm512_cmplt_epu8_mask(from_a, set(6));
  planes->alnum[slot] = digit | _mm512_cmplt_epu8_mask(from_a, set(26));
  planes->colon[slot] = _mm512_cmpeq_epi8_mask(v, set(':'));
  planes->dash[slot] = _mm512_cmpeq_epi8_mask(v, set('-'));
  planes->dot[slot] = _mm512_cmpeq_epi8_mask(v, set('.'));
  planes->x[slot] = _mm512_cmpeq_epi8_mask(lower, set('x'));
  planes->g[slot] = _mm512_cmpeq_epi8_mask(v, set('G'));
  planes->escape[slot] = _mm512_cmpeq_epi8_mask(v, set('\\')) |
                         _mm512_cmpeq_epi8_mask(v, set('%'));
  planes->space[slot] = _mm512_cmpeq_epi8_mask(v, set(' '));
}

}  // namespace

void StartsAvx512(std::string_view text, std::size_t window, std::size_t count,
                  std::uint64_t* starts, std::uint64_t* tags) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  Planes planes{};
  // The windows and the one after them, whole ones by vectors.
  const std::size_t whole = std::min(
      count + 1, text.size() / 64 - std::min(window, text.size() / 64));
  for (std::size_t w = 0; w < whole; ++w) {
    PutClasses(p + 64 * (window + w), w + 1, &planes);
  }
  if (whole < count + 1) {
    // The short window that ends the text; zeros past it.
    const std::size_t at = std::min(64 * (window + whole), text.size());
    planes.Put(whole + 1, ClassesPlain(p + at, text.size() - at));
  }
  const char before = window > 0 ? text[64 * window - 1] : ' ';
  planes.alnum[0] = std::uint64_t{shapes::IsAlnum(before)} << 63;
  planes.g[0] = std::uint64_t{before == 'G'} << 63;
  for (std::size_t first = 0; first < count; first += 8) {
    const LaneClasses here = TakeAll(planes, first + 1);
    const LaneClasses next = TakeAll(planes, first + 2);
    const Lanes alnum_before = Take(planes.alnum, first) >> 63;
    const Lanes g_before = Take(planes.g, first) >> 63;
    const Lanes found = StartsOf(here, next, alnum_before);
    const Lanes tagged = here.colon & (here.g << 1 | g_before);
    std::memcpy(starts + first, &found, sizeof found);
    std::memcpy(tags + first, &tagged, sizeof tagged);
  }
}

}  // namespace venmark::passes

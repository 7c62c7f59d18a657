#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The two passes over every byte of a text, done with vector instructions
// where the processor has them: the scanner's search for bytes a MAC may
// be made of, and the label context's search for lines that matter.
namespace venmark {
namespace passes {

// What the bytes of a window of 64 are, a bit each.
// Left unset when made, as it is filled a kilobyte at a time: ByteClasses{}
// for one of zeros.
struct ByteClasses {
  std::uint64_t hex;    // 0-9 a-f A-F
  std::uint64_t alnum;  // 0-9 a-z A-Z
  std::uint64_t colon, dash, dot;
  std::uint64_t x;       // x X
  std::uint64_t g;       // G, the end of "Hex-STRING"
  std::uint64_t escape;  // \ %, before an escaped colon
  std::uint64_t space;
};

}  // namespace passes

// How a pass runs: plain C++ (any processor), SSE2 (every x86-64), AVX2,
// AVX-512 (BW; the label pass as in AVX2).
enum class Simd { kPlain, kSse2, kAvx2, kAvx512 };

// The ways this build can run on this processor, plain first, best last.
std::vector<Simd> SupportedSimd();

// The best of SupportedSimd, asked of the processor once.
Simd BestSimd();

// The places of a text where a MAC may start, found in order: a word of
// hex digits (nothing alphanumeric before it) as long as a notation's first
// group and followed by its separator (one to four digits and ":", two and
// "-", "\\" or "%", four and "." or "-", six and "-"), or of twelve,
// fourteen, twenty or twenty-eight digits alone, or 0x and twelve; with
// shapes::kShortestMac bytes a MAC may hold (hex digits, : - . x \\ %) from
// it on. Also three pairs joined by single spaces, wherever they stand.
// Besides, as tags, the colons right after a "G", where "Hex-STRING:" may
// end and its pairs follow. Each byte is classed once, 64 at a time, a
// kilobyte ahead.
class MacStarts {
 public:
  explicit MacStarts(std::string_view text, Simd simd = BestSimd())
      : text_(text), simd_(simd) {}

  // The first such place at or after from, or npos; *tag tells a tag from
  // a start. from should not go back by more than a kilobyte between
  // calls, or bytes are classed again.
  std::size_t Next(std::size_t from, bool* tag);

 private:
  // Finds the places of the windows of 64 bytes from window on.
  void Fill(std::size_t window);

  static constexpr std::size_t kWindows = 16;
  std::string_view text_;
  Simd simd_;
  std::size_t first_ = 0;                         // the window starts_[0] is of
  std::size_t count_ = 0;                         // how many starts_ holds
  std::array<std::uint64_t, kWindows> starts_{};  // a bit a place
  std::array<std::uint64_t, kWindows> tags_{};    // a bit a tag
};

// The first offset in [from, to) of text where a label may start ("dd" of
// "addr", "mac", "war", "r-n", "g-s", "uid" of "duid", "lie" of "client",
// a Cyrillic letter's first byte, in any case) or a line break stands before a
// blank or another line break; to when there is none.
std::size_t NextLabelMark(std::string_view text, std::size_t from,
                          std::size_t to, Simd simd = BestSimd());

}  // namespace venmark

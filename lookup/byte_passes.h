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

// How a pass runs: plain C++ (any processor), SSE2 (every x86-64), AVX2.
enum class Simd { kPlain, kSse2, kAvx2 };

// The ways this build can run on this processor, plain first, best last.
std::vector<Simd> SupportedSimd();

// The best of SupportedSimd, asked of the processor once.
Simd BestSimd();

// The runs of bytes a MAC may be made of (hex digits, : - . and the x of
// 0x) that are at least shapes::kShortestMac long, found in order. Each
// byte of the text is classed once, 64 at a time, a kilobyte ahead.
class SoftRuns {
 public:
  explicit SoftRuns(std::string_view text, Simd simd = BestSimd())
      : text_(text), simd_(simd) {}

  // The start of the first such run that starts at or after from, and its
  // end into *end; npos when there is none. from must not go back between
  // calls by more than a kilobyte, or the classing is done again.
  std::size_t Next(std::size_t from, std::size_t* end);

 private:
  // Bit k set when byte 64 * window + k is soft; bytes past the end are not.
  std::uint64_t Mask(std::size_t window);

  static constexpr std::size_t kWindows = 16;
  std::string_view text_;
  Simd simd_;
  std::size_t first_ = 0;  // the window masks_[0] is of
  std::size_t count_ = 0;  // how many masks_ holds
  std::array<std::uint64_t, kWindows> masks_{};
};

// The first offset in [from, to) of text where a label may start ("dd" of
// "addr", "mac", "war", "r-n", "g-s", a Cyrillic letter's first byte, in
// any case) or a line break stands before a blank or another line break;
// to when there is none.
std::size_t NextLabelMark(std::string_view text, std::size_t from,
                          std::size_t to, Simd simd = BestSimd());

}  // namespace venmark

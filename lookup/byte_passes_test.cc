#include "lookup/byte_passes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <random>
#include <string>

namespace venmark {
namespace {

bool Soft(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '-' ||
         c == '.' || c == 'x' || c == 'X';
}

// The passes written the obvious way.
std::size_t SlowSoftRun(std::string_view text, std::size_t from,
                        std::size_t* end) {
  for (std::size_t at = from; at + 11 <= text.size(); ++at) {
    std::size_t n = 0;
    while (at + n < text.size() && Soft(text[at + n])) ++n;
    if (n >= 11) {
      *end = at + n;
      return at;
    }
  }
  return std::string_view::npos;
}

std::size_t SlowLabelMark(std::string_view text, std::size_t from,
                          std::size_t to) {
  auto lower = [&](std::size_t at, std::string_view word) {
    if (at + word.size() > to) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
      const char c = text[at + i];
      if (word[i] == '-' ? c != '-' : (c | 0x20) != word[i]) return false;
    }
    return true;
  };
  for (std::size_t at = from; at < to; ++at) {
    const bool blank_next =
        at + 1 < to && std::string_view(" \t\n\v\f\r").find(text[at + 1]) !=
                           std::string_view::npos;
    if (lower(at, "dd") || lower(at, "mac") || lower(at, "war") ||
        lower(at, "r-n") || lower(at, "g-s") || text[at] == '\xD0' ||
        (text[at] == '\n' && blank_next)) {
      return at;
    }
  }
  return to;
}

// Every way this processor runs the passes gives what the obvious code
// gives, on texts of plain filler with a few pieces planted anywhere:
// runs of soft bytes a little shorter or longer than a MAC, marks and
// near misses, across the edges of the vectors and windows. The text ends
// where its buffer does, so that a read past it is caught.
TEST(BytePassesTest, EveryVectorWidthAgreesWithTheObviousCode) {
  const std::vector<std::string> pieces = {
      "dd",   "mAc",  "WAR", "r-n", "G-s", "\xD0", "\n ",  "\n\n",
      "\n\t", "\n\r", "d",   "ma",  "r-",  "\n",   "\xD1", "x"};
  std::mt19937 rng(11);
  auto below = [&](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  const std::vector<Simd> levels = SupportedSimd();
  ASSERT_EQ(levels.front(), Simd::kPlain);
  ASSERT_EQ(levels.back(), BestSimd());
  for (int round = 0; round < 3000; ++round) {
    std::string text(below(1200), 'z');
    for (std::size_t n = below(12); n > 0 && !text.empty(); --n) {
      std::string piece = pieces[below(pieces.size())];
      if (below(3) == 0) {
        piece.clear();
        for (std::size_t k = 9 + below(below(4) == 0 ? 200 : 5); k > 0; --k)
          piece += "0aF:-.x9"[below(8)];
      }
      text.replace(below(text.size()), piece.size(), piece);
    }
    const auto buffer = std::make_unique<char[]>(text.size());
    std::copy(text.begin(), text.end(), buffer.get());
    const std::string_view view(buffer.get(), text.size());
    const std::size_t from = below(text.size() + 1);
    const std::size_t to =
        below(2) == 0 ? text.size() : from + below(text.size() - from + 1);
    for (const Simd simd : levels) {
      SCOPED_TRACE(testing::Message()
                   << "level " << static_cast<int>(simd) << ", from " << from
                   << ", to " << to << ": " << text);
      ASSERT_EQ(NextLabelMark(view, from, to, simd),
                SlowLabelMark(view, from, to));
      // Every run in turn, as the scanner asks for them.
      SoftRuns runs(view, simd);
      for (std::size_t at = from;;) {
        std::size_t end = 0, slow_end = 0;
        const std::size_t start = runs.Next(at, &end);
        ASSERT_EQ(start, SlowSoftRun(view, at, &slow_end)) << "at " << at;
        if (start == std::string_view::npos) break;
        ASSERT_EQ(end, slow_end) << "at " << at;
        at = start + 1 + below(end - start);
      }
    }
  }
}

}  // namespace
}  // namespace venmark

#include "scan/byte_passes.h"

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
         c == '.' || c == 'x' || c == 'X' || c == '\\' || c == '%';
}

// The passes written the obvious way.
std::size_t SlowMacStart(std::string_view text, std::size_t from, bool* tag) {
  auto hex = [&](std::size_t at, std::size_t n) {
    for (std::size_t i = at; i < at + n; ++i) {
      if (i >= text.size() ||
          !std::isxdigit(static_cast<unsigned char>(text[i]))) {
        return false;
      }
    }
    return true;
  };
  auto is = [&](std::size_t at, std::string_view any) {
    return at < text.size() && any.find(text[at]) != std::string_view::npos;
  };
  auto ends = [&](std::size_t at) {
    return at >= text.size() ||
           !std::isalnum(static_cast<unsigned char>(text[at]));
  };
  for (std::size_t k = from; k < text.size(); ++k) {
    *tag = k > 0 && text[k - 1] == 'G' && text[k] == ':';
    if (*tag) return k;
    if (!hex(k, 1) || (k > 0 && !ends(k - 1))) continue;
    if (hex(k, 2) && is(k + 2, " ") && hex(k + 3, 2) && is(k + 5, " ") &&
        hex(k + 6, 2)) {
      return k;
    }
    std::size_t soft = 0;
    while (k + soft < text.size() && Soft(text[k + soft])) ++soft;
    if (soft < 11) continue;
    if (is(k + 1, ":") || (hex(k, 2) && is(k + 2, ":-\\%")) ||
        (hex(k, 3) && is(k + 3, ":")) || (hex(k, 4) && is(k + 4, ".-:")) ||
        (hex(k, 6) && is(k + 6, "-")) || (hex(k, 12) && ends(k + 12)) ||
        (hex(k, 14) && ends(k + 14)) || (hex(k, 20) && ends(k + 20)) ||
        (hex(k, 28) && ends(k + 28)) ||
        (is(k + 1, "xX") && hex(k + 2, 12) && ends(k + 14))) {
      return k;
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
      const bool same = word[i] == '-' || word[i] == '_'
                            ? c == word[i]
                            : (c | 0x20) == word[i];
      if (!same) return false;
    }
    return true;
  };
  for (std::size_t at = from; at < to; ++at) {
    const bool blank_next =
        at + 1 < to && std::string_view(" \t\n\v\f\r").find(text[at + 1]) !=
                           std::string_view::npos;
    const bool lone_cr_blank =
        at + 1 < to && text[at] == '\r' && text[at + 1] != '\n' && blank_next;
    bool word = false;
    for (const std::string_view mark :
         {"dd", "mac", "war", "r-n", "r-p", "r-i", "r_n", "r_p", "r_i", "g-s",
          "d-s", "uid", "lie", "iqu", "bss"}) {
      word = word || lower(at, mark);
    }
    if (word || text[at] == '\xD0' || (text[at] == '\n' && blank_next) ||
        lone_cr_blank) {
      return at;
    }
  }
  return to;
}

// Every way this processor runs the passes gives what the obvious code
// gives, on texts of plain filler with a few pieces planted anywhere:
// runs of bytes a MAC may hold a little shorter or longer than one, the
// first groups of the notations, marks and near misses, across the edges of the
// vectors and windows. The text ends where its buffer does, so that a read past
// it is caught.
TEST(BytePassesTest, EveryVectorWidthAgreesWithTheObviousCode) {
  const std::vector<std::string> pieces = {
      "dd", "mAc", "WAR", "r-n", "G-s", "\xD0", "\n ", "\n\n", "\n\t", "\n\r",
      "uId", "LIE", "ui", "li", "0a 1b 2c", "0a 1b 2", " 0a 1b 2c 3d", "\r\r",
      "\r ", "\r\t", "\r\v", "\r\f", "\r\n", "\r\x0e", "d", "ma", "r-", "\n",
      "\xD1", "x", "G:", "g:", "G",
      // Every other mark, and near misses of each: the bytes that share
      // a first or second half-byte with a mark's.
      "R_p", "r-I", "R_N", "d-S", "IqU", "bSs", "iq", "bs", "r_", "Ga", "ei",
      "t-", "w/", "\n)", "\r-", "D]", "e\xD0", "|i", "Ea", "iQ", "Bs"};
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
        // Runs of bytes a MAC may hold, shorter and longer than one, with
        // the first group of a notation in them.
        piece.clear();
        for (std::size_t k = 9 + below(below(4) == 0 ? 200 : 5); k > 0; --k) {
          piece += below(2) == 0 ? "0aF9"[below(4)] : ":-.xXg\\% "[below(9)];
        }
        static const char* const kGroups[] = {"0:",
                                              "0a:",
                                              "0a-",
                                              "0a\\:",
                                              "0a%3A",
                                              "fe8:",
                                              "fe80:",
                                              "0a1b2c3d4e5f6a",
                                              "0a1b2c3d4e5f6a7b8c9d",
                                              "0a1b2c3d4e5f6a7b8c9d0e1f2a3b",
                                              "0a1b2c3d4e5f6a7b8c9d0e1f2a3",
                                              "0a1b.",
                                              "0a1b-",
                                              "0a1b2c-",
                                              "0a1b2c3d4e5f",
                                              "0x0a1b2c3d4e5f",
                                              "0X0A1B2C3D4E5F",
                                              "0a1b2c3d4e5f6"};
        piece.insert(below(piece.size()), kGroups[below(std::size(kGroups))]);
      }
      // Often across the edge of a window of 64 bytes.
      std::size_t at = below(text.size());
      if (below(2) == 0 && at >= 64) {
        at = at / 64 * 64 - below(std::min<std::size_t>(piece.size(), 64));
      }
      text.replace(at, piece.size(), piece);
    }
    const auto buffer = std::make_unique<char[]>(text.size());
    std::copy(text.begin(), text.end(), buffer.get());
    const std::string_view view(buffer.get(), text.size());
    std::size_t from = below(text.size() + 1);
    if (below(2) == 0) from = from / 64 * 64;  // where a window starts
    const std::size_t to =
        below(2) == 0 ? text.size() : from + below(text.size() - from + 1);
    for (const Simd simd : levels) {
      SCOPED_TRACE(testing::Message()
                   << "level " << static_cast<int>(simd) << ", from " << from
                   << ", to " << to << ": " << text);
      ASSERT_EQ(NextLabelMark(view, from, to, simd),
                SlowLabelMark(view, from, to));
      // Every place in turn, as the scanner asks for them.
      MacStarts starts(view, simd);
      for (std::size_t at = from;;) {
        bool tag = false, slow_tag = false;
        const std::size_t start = starts.Next(at, &tag);
        ASSERT_EQ(start, SlowMacStart(view, at, &slow_tag)) << "at " << at;
        if (start == std::string_view::npos) break;
        ASSERT_EQ(tag, slow_tag) << "at " << at;
        at = start + 1 + below(20);
      }
    }
  }
}

}  // namespace
}  // namespace venmark

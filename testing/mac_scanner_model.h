#pragma once

// A plain model of which MACs a text holds, for checking the scanner
// against: every position, every notation, letter by letter.

#include <cctype>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace venmark::model {

struct Shape {
  std::size_t groups, width;
  char separator;
};
inline constexpr Shape kShapes[] = {
    {6, 2, '-'}, {6, 2, ':'}, {3, 4, '.'}, {3, 4, '-'}};

inline bool Alnum(char c) {
  return c >= 0 && std::isalnum(static_cast<unsigned char>(c));
}
inline bool Hex(char c) {
  return c >= 0 && std::isxdigit(static_cast<unsigned char>(c));
}

// The run of letters and digits around position at (which must hold one).
inline std::string_view WordAt(std::string_view text, std::size_t at) {
  std::size_t begin = at, end = at + 1;
  while (begin > 0 && Alnum(text[begin - 1])) --begin;
  while (end < text.size() && Alnum(text[end])) ++end;
  return text.substr(begin, end - begin);
}

inline bool IsHexWord(std::string_view word) {
  if (word.empty()) return false;
  for (const char c : word) {
    if (!Hex(c)) return false;
  }
  return true;
}

inline bool Matches(std::string_view text, std::size_t at, const Shape& s) {
  const std::size_t length = s.groups * (s.width + 1) - 1;
  if (at + length > text.size()) return false;
  for (std::size_t k = 0; k < length; ++k) {
    const bool separator_place = (k + 1) % (s.width + 1) == 0;
    if (separator_place ? text[at + k] != s.separator : !Hex(text[at + k])) {
      return false;
    }
  }
  if (at > 0) {
    const char before = text[at - 1];
    if (Alnum(before)) return false;
    if (before == s.separator && at >= 2 && Alnum(text[at - 2]) &&
        IsHexWord(WordAt(text, at - 2))) {
      return false;
    }
  }
  const std::size_t end = at + length;
  if (end < text.size()) {
    const char after = text[end];
    if (Alnum(after)) return false;
    if (after == s.separator && end + 1 < text.size() && Alnum(text[end + 1]) &&
        IsHexWord(WordAt(text, end + 1))) {
      return false;
    }
  }
  return true;
}

// The MACs of text as written, in text order.
inline std::vector<std::string> Macs(std::string_view text) {
  std::vector<std::string> macs;
  for (std::size_t at = 0; at < text.size(); ++at) {
    for (const Shape& shape : kShapes) {
      if (Matches(text, at, shape)) {
        macs.emplace_back(
            text.substr(at, shape.groups * (shape.width + 1) - 1));
      }
    }
  }
  return macs;
}

}  // namespace venmark::model

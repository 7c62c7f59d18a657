#pragma once

// A plain model of which MACs a text holds, for checking the scanner
// against: every position, every notation, letter by letter.

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/label_context.h"

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

// Whether the colon notation with groups of widths (one or two digits each)
// stands at at; no colon may stand before it unless all are two wide.
inline bool MatchesShortColon(std::string_view text, std::size_t at,
                              const std::size_t (&widths)[6]) {
  std::size_t i = at;
  for (std::size_t g = 0; g < 6; ++g) {
    if (g > 0) {
      if (i >= text.size() || text[i] != ':') return false;
      ++i;
    }
    for (std::size_t k = 0; k < widths[g]; ++k, ++i) {
      if (i >= text.size() || !Hex(text[i])) return false;
    }
  }
  if (at > 0 && (Alnum(text[at - 1]) || text[at - 1] == ':')) return false;
  if (i < text.size()) {
    if (Alnum(text[i])) return false;
    if (text[i] == ':' && i + 1 < text.size() && Alnum(text[i + 1]) &&
        IsHexWord(WordAt(text, i + 1))) {
      return false;
    }
  }
  return true;
}

// Whether a separator of -:. joins [at, at + length) to a hex word.
inline bool JoinedToHexWord(std::string_view text, std::size_t at,
                            std::size_t length) {
  const std::size_t end = at + length;
  for (const char separator : {'-', ':', '.'}) {
    if (at >= 2 && text[at - 1] == separator && Alnum(text[at - 2]) &&
        IsHexWord(WordAt(text, at - 2))) {
      return true;
    }
    if (end + 1 < text.size() && text[end] == separator &&
        Alnum(text[end + 1]) && IsHexWord(WordAt(text, end + 1))) {
      return true;
    }
  }
  return false;
}

// A MAC as written and the 48 bits it stands for.
struct Found {
  std::string mac;
  std::uint64_t address;
  bool operator==(const Found&) const = default;
};

// The 48 bits of the hex digits of mac, less the first skip of them; a
// colon group of one digit counts as 0H.
inline std::uint64_t AddressOf(std::string_view mac, std::size_t skip) {
  std::uint64_t value = 0;
  std::string digits;
  std::string group;
  auto flush = [&] {
    if (group.size() == 1) digits += '0';
    digits += group;
    group.clear();
  };
  for (const char c : mac) {
    if (c == ':') {
      flush();
    } else if (Hex(c)) {
      group += c;
    } else {
      flush();
    }
  }
  flush();
  if (mac.size() == 14 && (mac[1] | 0x20) == 'x') digits.erase(0, 2);
  digits.erase(0, skip);
  for (const char c : digits) {
    value = value << 4 | static_cast<std::uint64_t>(
                             c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  return value;
}

// The MACs of text, in text order; bare words are judged by labelled, a
// function of (text, at, end) called in text order.
template <typename Labelled>
std::vector<Found> Findings(std::string_view text, Labelled&& labelled) {
  std::vector<Found> found;
  for (std::size_t at = 0; at < text.size(); ++at) {
    for (const Shape& shape : kShapes) {
      if (Matches(text, at, shape)) {
        const std::string mac(
            text.substr(at, shape.groups * (shape.width + 1) - 1));
        found.push_back({mac, AddressOf(mac, 0)});
      }
    }
    // One-digit colon groups: every mix of widths but all two.
    for (unsigned mix = 0; mix < 63; ++mix) {
      std::size_t widths[6];
      std::size_t length = 5;
      for (std::size_t g = 0; g < 6; ++g) {
        widths[g] = (mix >> g & 1) + 1;
        length += widths[g];
      }
      if (MatchesShortColon(text, at, widths)) {
        const std::string mac(text.substr(at, length));
        found.push_back({mac, AddressOf(mac, 0)});
      }
    }
    if (Matches(text, at, {2, 6, '-'})) {
      const std::string mac(text.substr(at, 13));
      found.push_back({mac, AddressOf(mac, 0)});
    }
    if (Matches(text, at, {6, 2, ' '}) &&
        text.substr(0, at).find_last_not_of(' ') != std::string_view::npos) {
      const std::string_view before =
          text.substr(0, text.substr(0, at).find_last_not_of(' ') + 1);
      const bool seventh = at + 19 < text.size() + 0 && text[at + 17] == ' ' &&
                           Hex(text[at + 18]) && Hex(text[at + 19]);
      if (at > 0 && text[at - 1] == ' ' && before.ends_with("Hex-STRING:") &&
          !seventh) {
        const std::string mac(text.substr(at, 17));
        found.push_back({mac, AddressOf(mac, 0)});
      }
    }
    if (at + 17 <= text.size() && text[at] == '0' && text[at + 1] == '1' &&
        Matches(text, at, {3, 4, '.'}) == false) {
      bool shape = true;
      for (std::size_t k = 0; k < 17; ++k) {
        const bool dot = k == 4 || k == 9 || k == 14;
        shape = shape && (dot ? text[at + k] == '.' : Hex(text[at + k]));
      }
      const bool before_ok =
          at == 0 || (!Alnum(text[at - 1]) &&
                      !(text[at - 1] == '.' && at >= 2 && Alnum(text[at - 2]) &&
                        IsHexWord(WordAt(text, at - 2))));
      const bool after_ok =
          at + 17 == text.size() ||
          (!Alnum(text[at + 17]) &&
           !(text[at + 17] == '.' && at + 18 < text.size() &&
             Alnum(text[at + 18]) && IsHexWord(WordAt(text, at + 18))));
      if (shape && before_ok && after_ok) {
        const std::string mac(text.substr(at, 17));
        found.push_back({mac, AddressOf(mac, 2)});
      }
    }
    for (const std::size_t length : {std::size_t{12}, std::size_t{14}}) {
      if (at + length > text.size()) continue;
      if (at > 0 && Alnum(text[at - 1])) continue;
      if (at + length < text.size() && Alnum(text[at + length])) continue;
      const std::string_view word = text.substr(at, length);
      const std::string_view digits = length == 14 ? word.substr(2) : word;
      if (length == 14 && !(word[0] == '0' && (word[1] | 0x20) == 'x')) {
        continue;
      }
      if (!IsHexWord(digits) || JoinedToHexWord(text, at, length)) continue;
      if (labelled(text, at, at + length)) {
        found.push_back({std::string(word), AddressOf(word, 0)});
      }
    }
  }
  return found;
}

// The findings of text, bare words judged by the scanner's own label rule
// (the model checks the shapes, not the labels).
inline std::vector<Found> Findings(std::string_view text) {
  LabelContext labels;
  return Findings(text,
                  [&](std::string_view t, std::size_t at, std::size_t end) {
                    return labels.Labelled(t, at, end);
                  });
}

// The MACs of text as written, in text order.
inline std::vector<std::string> Macs(std::string_view text) {
  std::vector<std::string> macs;
  for (Found& f : Findings(text)) macs.push_back(std::move(f.mac));
  return macs;
}

}  // namespace venmark::model

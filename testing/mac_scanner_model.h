#pragma once

// A plain model of which MACs a text holds, for checking the scanner
// against: every position, every notation, letter by letter, written apart
// from the scanner's table of notations and its label context.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/label_context.h"
#include "testing/label_model.h"

namespace venmark::model {

struct Shape {
  std::size_t groups, width;
  std::string_view separator;  // lower case, any case in the text
  std::string_view lead = "";  // the digits it starts with
  std::size_t mac_from = 0;    // the digit the MAC starts at
};
inline constexpr Shape kShapes[] = {{6, 2, "-"},
                                    {6, 2, ":"},
                                    {3, 4, "."},
                                    {3, 4, "-"},
                                    {6, 2, "\\:"},
                                    {6, 2, "%3a"},
                                    {7, 2, ":", "01", 2},
                                    {7, 2, "-", "01", 2},
                                    {10, 2, ":", "00030001", 8},
                                    {10, 2, "-", "00030001", 8},
                                    {14, 2, ":", "00010001", 16},
                                    {14, 2, "-", "00010001", 16}};

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

inline char LowerCase(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// Whether text holds word at `at`, in any case.
inline bool HasAt(std::string_view text, std::size_t at,
                  std::string_view word) {
  if (at + word.size() > text.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (LowerCase(text[at + i]) != word[i]) return false;
  }
  return true;
}

inline std::size_t LengthOf(const Shape& s) {
  return s.groups * (s.width + s.separator.size()) - s.separator.size();
}

inline bool Matches(std::string_view text, std::size_t at, const Shape& s) {
  const std::size_t step = s.width + s.separator.size();
  const std::size_t length = LengthOf(s);
  if (at + length > text.size()) return false;
  std::string digits;
  for (std::size_t g = 0; g < s.groups; ++g) {
    if (g > 0 && !HasAt(text, at + g * step - s.separator.size(), s.separator))
      return false;
    for (std::size_t k = 0; k < s.width; ++k) {
      const char c = text[at + g * step + k];
      if (!Hex(c)) return false;
      digits += LowerCase(c);
    }
  }
  if (!digits.starts_with(s.lead)) return false;
  const std::size_t n = s.separator.size();
  if (at > 0) {
    if (Alnum(text[at - 1])) return false;
    if (at > n && HasAt(text, at - n, s.separator) && Alnum(text[at - n - 1]) &&
        IsHexWord(WordAt(text, at - n - 1))) {
      return false;
    }
  }
  const std::size_t end = at + length;
  if (end < text.size()) {
    if (Alnum(text[end])) return false;
    if (HasAt(text, end, s.separator) && end + n < text.size() &&
        Alnum(text[end + n]) && IsHexWord(WordAt(text, end + n))) {
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

// The 48 bits of twelve hex digits.
inline std::uint64_t ValueOf(std::string_view digits) {
  std::uint64_t value = 0;
  for (const char c : digits.substr(0, 12)) {
    value = value << 4 | static_cast<std::uint64_t>(
                             c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  return value;
}

// The hex digits of a text in shape s at at (already matched).
inline std::string DigitsOf(std::string_view text, std::size_t at,
                            const Shape& s) {
  std::string digits;
  const std::size_t step = s.width + s.separator.size();
  for (std::size_t g = 0; g < s.groups; ++g) {
    digits += text.substr(at + g * step, s.width);
  }
  return digits;
}

// The MAC of an IPv6 address with a modified EUI-64 identifier at at, and
// the address's length: the longest run of hex digits and colons, less a
// lone colon at its end, split at its "::". It starts with a digit, as
// every address that holds a MAC does.
inline bool Eui64(std::string_view text, std::size_t at, std::uint64_t* mac,
                  std::size_t* length) {
  if (!Hex(text[at])) return false;
  if (at > 0 && (Alnum(text[at - 1]) || text[at - 1] == ':')) return false;
  std::size_t end = at;
  while (end < text.size() && (Hex(text[end]) || text[end] == ':')) ++end;
  std::string_view run = text.substr(at, end - at);
  if (run.ends_with(':') && !run.ends_with("::")) run.remove_suffix(1);
  end = at + run.size();
  if (end < text.size() &&
      (Alnum(text[end]) ||
       (text[end] == '.' && end + 1 < text.size() && Alnum(text[end + 1])))) {
    return false;
  }
  const std::size_t gap = run.find("::");
  if (run.find(":::") != std::string_view::npos ||
      (gap != std::string_view::npos &&
       run.find("::", gap + 1) != std::string_view::npos)) {
    return false;
  }
  auto split = [](std::string_view part, std::vector<std::string>* groups) {
    std::size_t begin = 0;
    while (!part.empty() && begin <= part.size()) {
      const std::size_t colon = std::min(part.find(':', begin), part.size());
      groups->emplace_back(part.substr(begin, colon - begin));
      begin = colon + 1;
    }
  };
  std::vector<std::string> head, tail;
  split(gap == std::string_view::npos ? run : run.substr(0, gap), &head);
  if (gap != std::string_view::npos) split(run.substr(gap + 2), &tail);
  const std::size_t count = head.size() + tail.size();
  if (gap == std::string_view::npos ? count != 8 : count > 7) return false;
  std::vector<std::string> all = head;
  all.resize(8 - tail.size(), "0");
  all.insert(all.end(), tail.begin(), tail.end());
  std::string bits;
  for (const std::string& group : all) {
    if (group.empty() || group.size() > 4 || !IsHexWord(group)) return false;
    bits += std::string(4 - group.size(), '0') + group;
  }
  for (char& c : bits) c = LowerCase(c);
  if (bits.substr(22, 4) != "fffe") return false;
  const int first = std::stoi(bits.substr(16, 2), nullptr, 16) ^ 2;
  const char hex[] = "0123456789abcdef";
  const std::string digits = std::string{hex[first >> 4], hex[first & 15]} +
                             bits.substr(18, 4) + bits.substr(26, 6);
  *mac = ValueOf(digits);
  *length = run.size();
  return true;
}

// The MAC that starts at at, if any; bare words judged by labelled.
template <typename Labelled>
std::optional<Found> FindingAt(std::string_view text, std::size_t at,
                               Labelled&& labelled) {
  // Pairs after their tag.
  if (Matches(text, at, {6, 2, " "}) &&
      text.substr(0, at).find_last_not_of(' ') != std::string_view::npos) {
    const std::string_view before =
        text.substr(0, text.substr(0, at).find_last_not_of(' ') + 1);
    const bool seventh = at + 19 < text.size() && text[at + 17] == ' ' &&
                         Hex(text[at + 18]) && Hex(text[at + 19]);
    if (at > 0 && text[at - 1] == ' ' && before.ends_with("Hex-STRING:") &&
        !seventh) {
      const std::string mac(text.substr(at, 17));
      return Found{mac, AddressOf(mac, 0)};
    }
  }
  for (const Shape& shape : kShapes) {
    if (Matches(text, at, shape)) {
      const std::string digits = DigitsOf(text, at, shape);
      return Found{std::string(text.substr(at, LengthOf(shape))),
                   ValueOf(std::string_view(digits).substr(shape.mac_from))};
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
      return Found{mac, AddressOf(mac, 0)};
    }
  }
  std::uint64_t eui = 0;
  std::size_t eui_length = 0;
  if (Eui64(text, at, &eui, &eui_length)) {
    return Found{std::string(text.substr(at, eui_length)), eui};
  }
  if (Matches(text, at, {2, 6, "-"})) {
    const std::string mac(text.substr(at, 13));
    return Found{mac, AddressOf(mac, 0)};
  }
  if (at + 17 <= text.size() && text[at] == '0' && text[at + 1] == '1' &&
      Matches(text, at, {3, 4, "."}) == false) {
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
      return Found{mac, AddressOf(mac, 2)};
    }
  }
  // Bare words: twelve digits or 0x and twelve under a MAC label, 01 and
  // twelve under a client-identifier label, DUIDs under a DUID label.
  const struct {
    std::size_t length;
    std::string_view lead;
    std::size_t mac_from;
    LabelKind kind;
  } bare[] = {{12, "", 0, LabelKind::kMac},
              {14, "0x", 2, LabelKind::kMac},
              {14, "01", 2, LabelKind::kClientId},
              {20, "00030001", 8, LabelKind::kDuid},
              {28, "00010001", 16, LabelKind::kDuid}};
  for (const auto& b : bare) {
    if (at + b.length > text.size()) continue;
    if (at > 0 && Alnum(text[at - 1])) continue;
    if (at + b.length < text.size() && Alnum(text[at + b.length])) continue;
    const std::string_view word = text.substr(at, b.length);
    if (!HasAt(word, 0, b.lead)) continue;
    const std::string_view digits = b.lead == "0x" ? word.substr(2) : word;
    if (!IsHexWord(digits) || JoinedToHexWord(text, at, b.length)) continue;
    if (labelled(text, at, at + b.length, b.kind)) {
      return Found{std::string(word), ValueOf(word.substr(b.mac_from))};
    }
  }
  // Six pairs under a MAC label.
  if (Matches(text, at, {6, 2, " "}) &&
      !(at + 19 < text.size() && text[at + 17] == ' ' && Hex(text[at + 18]) &&
        Hex(text[at + 19])) &&
      labelled(text, at, at + 17, LabelKind::kMac)) {
    const std::string mac(text.substr(at, 17));
    return Found{mac, AddressOf(mac, 0)};
  }
  return std::nullopt;
}

// The MACs of text, in text order; bare words are judged by labelled, a
// function of (text, at, end, kind) called in text order.
template <typename Labelled>
std::vector<Found> Findings(std::string_view text, Labelled&& labelled) {
  std::vector<Found> found;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (std::optional<Found> f = FindingAt(text, at, labelled)) {
      found.push_back(std::move(*f));
    }
  }
  return found;
}

// The findings of text, bare words judged by the label rule read plainly
// (label_model.h), not by the scanner's LabelContext.
inline std::vector<Found> Findings(std::string_view text) {
  const LabelModel labels(text);
  return Findings(
      text, [&](std::string_view, std::size_t at, std::size_t end,
                LabelKind kind) { return labels.Labelled(at, end, kind); });
}

// The MACs of text as written, in text order.
inline std::vector<std::string> Macs(std::string_view text) {
  std::vector<std::string> macs;
  for (Found& f : Findings(text)) macs.push_back(std::move(f.mac));
  return macs;
}

}  // namespace venmark::model

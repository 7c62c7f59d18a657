#pragma once

// The label rule read plainly, from the whole text at once: which bare
// words stand under a label. The scanner's LabelContext reads the same rule
// a block at a time, carrying what it needs and leaping over lines that
// cannot matter; checked against this, a fault in that bookkeeping shows.
// Only the words are shared (LabelWords), not the code that finds them.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/label_context.h"

namespace venmark::model {

inline bool LatinLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
inline bool Capital(char c) { return c >= 'A' && c <= 'Z'; }
inline char Small(char c) { return Capital(c) ? char(c + ('a' - 'A')) : c; }

// Whether a Cyrillic letter (two bytes of UTF-8) starts at i.
inline bool CyrillicAt(std::string_view s, std::size_t i) {
  if (i + 1 >= s.size()) return false;
  const auto a = static_cast<unsigned char>(s[i]);
  const auto b = static_cast<unsigned char>(s[i + 1]);
  return (a == 0xD0 || a == 0xD1) && b >= 0x80 && b <= 0xBF;
}

// Whether label stands in s as the rule of its boundary asks.
inline bool HoldsLabel(std::string_view s, const LabelWord& label) {
  const std::string_view w = label.word;
  for (std::size_t at = 0; at + w.size() <= s.size(); ++at) {
    bool same = true, exact = true;
    for (std::size_t i = 0; i < w.size(); ++i) {
      same = same && Small(s[at + i]) == w[i];
      exact = exact && s[at + i] == w[i];
    }
    if (!same && !exact) continue;
    switch (label.boundary) {
      case LabelWord::kAnywhere:
        return true;
      case LabelWord::kCyrillicWord:
        if (!(at >= 2 && CyrillicAt(s, at - 2)) &&
            !CyrillicAt(s, at + w.size())) {
          return true;
        }
        break;
      case LabelWord::kLatinWord: {
        // A word starts here: nothing letter-like before, or a capital
        // after a small letter (camelCase).
        const bool starts = at == 0 || !LatinLetter(s[at - 1]) ||
                            (Capital(s[at]) && !Capital(s[at - 1]));
        const std::size_t next = at + w.size();
        const bool ends =
            next == s.size() || !LatinLetter(s[next]) ||
            (next + 4 <= s.size() && Small(s[next]) == 'a' &&
             Small(s[next + 1]) == 'd' && Small(s[next + 2]) == 'd' &&
             Small(s[next + 3]) == 'r');
        if (starts && ends) return true;
        break;
      }
    }
  }
  return false;
}

inline bool ModelHasLabel(std::string_view s, LabelKind kind, bool any) {
  for (const LabelWord& label : LabelWords()) {
    if ((any || label.kind == kind) && HoldsLabel(s, label)) return true;
  }
  return false;
}

class LabelModel {
 public:
  explicit LabelModel(std::string_view text) : text_(text) {
    // A line ends at LF, or at a CR that a byte other than LF follows.
    std::size_t begin = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
      const bool lf = text[i] == '\n';
      const bool cr =
          text[i] == '\r' && i + 1 < text.size() && text[i + 1] != '\n';
      if (lf || cr) {
        lines_.push_back({begin, i});
        begin = i + 1;
      }
    }
    last_begin_ = begin;
  }

  bool Labelled(std::size_t at, std::size_t end, LabelKind kind) const {
    // The lines ended before the word's own, back to a blank one.
    std::size_t own_begin = last_begin_;
    std::size_t count = lines_.size();
    for (std::size_t k = 0; k < lines_.size(); ++k) {
      if (lines_[k].second >= at) {
        own_begin = lines_[k].first;
        count = k;
        break;
      }
    }
    const std::string own(text_.substr(own_begin, at - own_begin));
    // "key: value" or "key=value": the key alone names the value.
    const std::optional<std::string> key = KeyOf(own);
    if (key) {
      if (ModelHasLabel(*key, kind, false)) return true;
    } else if (ModelHasLabel(own, kind, false)) {
      return true;
    }
    std::vector<std::string> block;
    for (std::size_t k = 0; k < count; ++k) {
      std::string line(
          text_.substr(lines_[k].first, lines_[k].second - lines_[k].first));
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find_first_not_of(" \t\f\v\r") == std::string::npos) {
        block.clear();
      } else {
        block.push_back(line);
      }
    }
    // The last line with a label of any kind, and the one after it; once
    // one stands, a labelled line with a MAC's twelve digits in it is a
    // row, not a new heading.
    std::string header, below;
    for (std::size_t k = 0; k < block.size(); ++k) {
      if (ModelHasLabel(block[k], kind, true) &&
          (header.empty() || !HasTwelveDigits(block[k]))) {
        header = block[k];
        below = k + 1 < block.size() ? block[k + 1] : "";
      }
    }
    for (const char separator : {',', ';', '\t'}) {
      if (header.find(separator) != std::string::npos &&
          own.find(separator) != std::string::npos) {
        const std::vector<std::string> heads = Fields(header, separator);
        const std::size_t index = Fields(own, separator).size() - 1;
        return index < heads.size() && ModelHasLabel(heads[index], kind, false);
      }
    }
    if (key) return false;
    std::size_t column = 0;
    for (const char c : own)
      column += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    const std::string first = !block.empty() ? block[0] : "";
    const std::string second = block.size() > 1 ? block[1] : "";
    return Heads(header, below, column, end - at, kind) ||
           Heads(first, second, column, end - at, kind);
  }

 private:
  // The key before a value: own ends in ":" or "=" and blanks or quotes;
  // the key is what stands before the sign back to the last tab, two
  // spaces or , ; & ? { [ ( = :, and holds a letter.
  static std::optional<std::string> KeyOf(const std::string& own) {
    const std::size_t sign = own.find_last_not_of(" \t\"'");
    if (sign == std::string::npos || (own[sign] != ':' && own[sign] != '=')) {
      return std::nullopt;
    }
    std::string before = own.substr(0, sign);
    while (!before.empty() && (before.back() == ' ' || before.back() == '\t')) {
      before.pop_back();
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < before.size(); ++i) {
      if (std::string_view("\t,;&?{[(=:").find(before[i]) !=
          std::string_view::npos) {
        start = i + 1;
      } else if (before[i] == ' ' && i + 1 < before.size() &&
                 before[i + 1] == ' ') {
        start = i + 2;
      }
    }
    std::string key = before.substr(std::min(start, before.size()));
    for (const char c : key) {
      if (LatinLetter(c) || static_cast<unsigned char>(c) >= 0x80) return key;
    }
    return std::nullopt;
  }

  // Whether line holds twelve hex digits in a run, : - . between them.
  static bool HasTwelveDigits(const std::string& line) {
    int run = 0;
    for (const char c : line) {
      if (std::isxdigit(static_cast<unsigned char>(c))) {
        if (++run == 12) return true;
      } else if (c != ':' && c != '-' && c != '.') {
        run = 0;
      }
    }
    return false;
  }

  // The fields of line split at separator, outside double quotes.
  static std::vector<std::string> Fields(const std::string& line,
                                         char separator) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
      if (c == '"') quoted = !quoted;
      if (c == separator && !quoted) {
        fields.emplace_back();
      } else {
        fields.back() += c;
      }
    }
    return fields;
  }

  // The byte where the column-th character of line starts (continuation
  // bytes of UTF-8 are no characters of their own), or its size.
  static std::size_t ByteOfColumn(const std::string& line, std::size_t column) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
      if ((static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) continue;
      if (seen++ == column) return i;
    }
    return line.size();
  }

  // The cells of line as byte ranges: runs between tabs and runs of two
  // blanks or more (one blank may stand inside a heading).
  static std::vector<std::pair<std::size_t, std::size_t>> Cells(
      const std::string& line) {
    auto gap = [&](std::size_t i) {
      if (line[i] == '\t') return true;
      if (line[i] != ' ') return false;
      return (i > 0 && line[i - 1] == ' ') ||
             (i + 1 < line.size() &&
              (line[i + 1] == ' ' || line[i + 1] == '\t'));
    };
    std::vector<std::pair<std::size_t, std::size_t>> cells;
    for (std::size_t i = 0; i < line.size();) {
      if (gap(i)) {
        ++i;
        continue;
      }
      const std::size_t begin = i;
      while (i < line.size() && !gap(i)) ++i;
      cells.emplace_back(begin, i);
    }
    return cells;
  }

  // The cell of line over column, else the first that starts within the
  // width after it.
  static std::string Over(const std::string& line, std::size_t column,
                          std::size_t width) {
    const std::size_t from = ByteOfColumn(line, column);
    const std::size_t to = ByteOfColumn(line, column + width);
    for (const auto& [begin, end] : Cells(line)) {
      if (end > from && std::max(begin, from) < to) {
        return line.substr(begin, end - begin);
      }
    }
    return "";
  }

  static bool Heads(const std::string& top, const std::string& bottom,
                    std::size_t column, std::size_t width, LabelKind kind) {
    const std::string heading = Over(top, column, width);
    if (heading.size() > 48) return false;
    if (ModelHasLabel(heading, kind, false)) return true;
    const std::string under = Over(bottom, column, width);
    return !heading.empty() && !under.empty() &&
           ModelHasLabel(heading + " " + under, kind, false);
  }

  std::string_view text_;
  std::vector<std::pair<std::size_t, std::size_t>> lines_;  // [begin, end)
  std::size_t last_begin_ = 0;  // where the unended last line begins
};

}  // namespace venmark::model

#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "scan/label_words.h"
#include "scan/notations.h"

namespace venmark {

// Decides whether a bare run of twelve hex digits is a MAC: only when a
// label that names a MAC ("MAC", "Physical Address", "HWaddr"…) stands
// before it on its line, or heads its column or CSV field.
//
// What can change the verdict is bounded and carried as state, so that a
// text scanned a block at a time gets the verdicts of a whole-text scan:
// the last kReach bytes of the word's own line before it, and the last
// line of at most kReach bytes above it that holds a label (with the line
// right after it, for headers written on two lines), and the first two
// lines of its table, as long as no blank line stands between.
class LabelContext {
 public:
  static constexpr std::size_t kReach = 4096;

  // Whether the bare word at [at, end) of text stands under a label of
  // kind. Calls must come in text order; text keeps its bytes between
  // calls, less those Drop has been told of.
  bool Labelled(std::string_view text, std::size_t at, std::size_t end,
                LabelKind kind = LabelKind::kMac);

  // Begins at a line's start with what came before unknown: a verdict
  // that would rest on it (a heading or a table above) is not given, and
  // unsure() tells so. A blank line, after which nothing above counts,
  // ends that.
  void StartMidway() { past_unknown_ = true; }

  // Whether a verdict was asked that rested on the unknown past.
  bool unsure() const { return unsure_; }

  // Takes in text up to offset to, then forgets that text's first n bytes
  // are there (n <= to): offsets from now on count from the byte after.
  void Drop(std::string_view text, std::size_t to, std::size_t n);

 private:
  // Takes in the lines of text from done_ to offset to.
  void Advance(std::string_view text, std::size_t to);
  // Ends a line; cut: only its last kReach bytes are known.
  void EndLine(std::string_view line, bool cut);
  // Adds bytes to the line begun, keeping its last kReach bytes.
  void TakeIn(std::string_view bytes);
  // Ends the line begun.
  void EndTakenLine();
  // Whether the cells of top over columns [column, column + width), alone
  // or followed by those of bottom, name a MAC.
  static bool HeadsColumn(std::string_view top, std::string_view bottom,
                          std::size_t column, std::size_t width,
                          LabelKind kind);

  std::size_t done_ = 0;      // offset in the text up to which it is taken in
  std::string line_;          // the current line so far (its last kReach bytes)
  bool line_cut_ = false;     // line_ lost its start
  std::string header_;        // the last labelled line, or empty
  std::string below_header_;  // the line after it
  bool after_header_ = false;   // the line now ending follows the header
  std::string first_, second_;  // the first two lines since a blank one
  int lines_in_block_ = 0;
  bool past_unknown_ = false;  // begun midway, no blank line since
  bool unsure_ = false;        // a verdict rested on the unknown past
};

}  // namespace venmark

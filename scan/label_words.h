#pragma once

#include <span>
#include <string_view>

#include "scan/notations.h"

// The words that label a MAC, or an identifier that holds one, in the
// outputs of real systems, and the rule that finds them in a line.
namespace venmark {

// A word that labels a MAC or an identifier that holds one.
struct LabelWord {
  // What must stand around the word.
  enum Boundary {
    kAnywhere,     // nothing: it is long enough to be itself anywhere
    kLatinWord,    // a word boundary, camel and snake case included
    kCyrillicWord  // no Cyrillic letter on either side
  };
  std::string_view word;  // Latin letters in lower case, any case in text
  LabelKind kind;
  Boundary boundary;
};

// Every label word; each holds a mark NextLabelMark finds.
std::span<const LabelWord> LabelWords();

// Whether line holds a label of kind, or of any kind.
bool HasLabel(std::string_view line, LabelKind kind, bool any_kind = false);

}  // namespace venmark

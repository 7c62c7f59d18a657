#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scan/byte_passes.h"
#include "scan/label_context.h"
#include "scan/notations.h"

namespace venmark {

// One MAC address found in a text.
struct MacFinding {
  std::size_t offset = 0;  // byte offset of the MAC in the text
  Notation notation = Notation::kDash;
  std::string_view candidate_mac;    // the text exactly as written
  std::uint64_t address = 0;         // the MAC's 48 bits, first byte highest
  Source source = Source::kWritten;  // what candidate_mac is
  std::size_t line = 0;  // 1-based, where lines are counted (LF ends one)
};

// The listing key ("00-1A-2B") of candidate_mac when it is one whole MAC
// in the notation given, read as the scanner reads it; else empty.
std::string KeyIn(std::string_view candidate_mac, Notation notation);

// KeyIn for the three notations the old tools knew by their systems: dashed
// pairs (Windows), colon pairs (Unix-like systems) and dotted quads (Cisco).
inline std::string SearchWindows(std::string_view candidate_mac) {
  return KeyIn(candidate_mac, Notation::kDash);
}
inline std::string SearchUnix(std::string_view candidate_mac) {
  return KeyIn(candidate_mac, Notation::kColon);
}
inline std::string SearchCisco(std::string_view candidate_mac) {
  return KeyIn(candidate_mac, Notation::kDot);
}

// Walks a text from its start and yields every whole MAC written in it, by
// position: a MAC that letters or digits touch, or that its own separator
// and a run of hex digits continue (a DUID, a UUID, a longer address), is
// part of something else. A bare run of twelve hex digits counts only under
// a label (LabelContext). Any bytes may surround a MAC, so UTF-8 text scans
// as it is. The text must outlive the scanner and its findings.
class MacScanner {
 public:
  explicit MacScanner(std::string_view text) : text_(text), starts_(text) {}

  // Yields only the MACs that start from position from and before
  // start_limit; the text around serves to decide them. labels, when
  // given, carries what came before text; else the scanner keeps its own.
  MacScanner(std::string_view text, std::size_t from, std::size_t start_limit,
             LabelContext* labels = nullptr)
      : text_(text),
        starts_(text),
        start_limit_(start_limit),
        position_(from),
        labels_(labels) {}

  // The next MAC in the text, or nothing once the text is used up.
  std::optional<MacFinding> Next();

  // Numbers the lines of findings from now on, the text's first byte
  // standing on line first_line; after_cr: the byte before the text was a
  // CR (so an LF first ends no line of its own). A CR LF, a lone LF and a
  // lone CR each end a line.
  void CountLines(std::size_t first_line, bool after_cr = false) {
    line_ = first_line;
    counted_to_ = 0;
    count_lines_ = true;
    after_cr_ = after_cr;
  }

 private:
  // Next, before its line is known.
  std::optional<MacFinding> NextUnnumbered();
  // The MAC whose first group is the hex word [word, end), if any.
  std::optional<MacFinding> MatchAt(std::size_t word, std::size_t end);
  // The MAC in the pairs after "Hex-STRING:" that start at pairs, if any.
  std::optional<MacFinding> MatchHexString(std::size_t pairs);
  // Where the pairs after the "Hex-STRING:" that ends in the colon at
  // colon begin (after one blank or more), or npos.
  std::size_t PairsAfter(std::size_t colon) const;
  bool Labelled(std::size_t at, std::size_t end, LabelKind kind);
  // Whether the text of row at [at, at + length) stands on its own.
  bool Whole(const NotationRow& row, std::size_t at, std::size_t length) const;

  std::string_view text_;
  MacStarts starts_;  // where MACs may start
  std::size_t start_limit_ = std::string_view::npos;
  std::size_t position_ = 0;
  LabelContext* labels_ = nullptr;
  std::optional<LabelContext> own_labels_;
  bool began_ = false;  // Next has been called
  bool count_lines_ = false;
  std::size_t line_ = 0;        // the line of text_[counted_to_]
  std::size_t counted_to_ = 0;  // how far line_ is counted
  bool after_cr_ = false;       // a CR stood just before the text
};

// How many lines end in text: a CR LF, a lone LF and a lone CR one each;
// after_cr: the byte before text was a CR, so an LF first ends none.
std::size_t LineEnds(std::string_view text, bool after_cr = false);

// Every MAC written in text, by position.
std::vector<MacFinding> FindMacs(std::string_view text);

// Scans a text handed over a block at a time, with exactly the findings of
// a scan of the whole text. Memory stays at a block plus the run of hex
// digits and separators that straddles a block edge, and at most about
// kLongestRun: past that, text without a hard byte is cut, and only a word
// of letters and digits of about kContext bytes or more at the cut could
// make a finding differ. What decides a bare word from further back is
// carried in a LabelContext.
class StreamScanner {
 public:
  static constexpr std::size_t kLongestRun = std::size_t{1} << 20;
  static constexpr std::size_t kContext = std::size_t{1} << 16;

  // Tests shrink the limits to reach them with little text.
  explicit StreamScanner(std::size_t longest_run = kLongestRun,
                         std::size_t context = kContext)
      : longest_run_(longest_run), context_(context) {}

  // Numbers the lines of findings, from 1.
  void CountLines() { lines_ = 1; }

  // Begins at a line's start of a text whose earlier part is scanned
  // elsewhere: a bare word whose verdict rests on the lines before is
  // passed over, and unsure() tells so from then on.
  void StartMidway() { labels_.StartMidway(); }
  bool unsure() const { return labels_.unsure(); }

  // The line the next byte fed stands on, where lines are counted.
  std::size_t LineAtEnd() const {
    return lines_ + LineEnds(pending_, after_cr_);
  }

  // Adds the next block of text and passes each MAC that is now decided to
  // found. The finding's views are valid only during the call.
  template <typename Found>
  void Feed(std::string_view block, Found&& found) {
    pending_.append(block);
    if (const std::size_t decided = DecidedLength(); decided != 0) {
      Drain(decided, found);
    } else if (pending_.size() > longest_run_) {
      // Text of hex digits and separators alone: what stands more than
      // kContext before the end is decided by the kContext after it.
      const std::size_t limit = pending_.size() - context_;
      MacScanner scanner(pending_, from_, limit, &labels_);
      if (lines_ != 0) scanner.CountLines(lines_, after_cr_);
      while (const std::optional<MacFinding> finding = scanner.Next()) {
        found(*finding);
      }
      // The bytes before limit stay as what stands before the next MAC (a
      // separator and a hex word tell it is continued, "Hex-STRING: " that
      // pairs follow), and have had their turn to start one.
      Keep(limit);
    }
  }

  // How many bytes wait for the text after them.
  std::size_t pending() const { return pending_.size(); }

  // Ends the text and passes the MACs that remain.
  template <typename Found>
  void Finish(Found&& found) {
    Drain(pending_.size(), found);
    pending_.clear();
    plain_ = 0;
  }

 private:
  // How much of pending_ no later text can change the findings of.
  std::size_t DecidedLength();

  template <typename Found>
  void Drain(std::size_t decided, Found& found) {
    MacScanner scanner(std::string_view(pending_).substr(0, decided), from_,
                       std::string_view::npos, &labels_);
    if (lines_ != 0) scanner.CountLines(lines_, after_cr_);
    while (const std::optional<MacFinding> finding = scanner.Next()) {
      found(*finding);
    }
    Keep(decided);
  }

  // Drops what stands before `from` but the bytes that tell what precedes
  // the next MAC; the next MAC starts at from or later.
  void Keep(std::size_t from);
  // Counts the lines of the first n bytes of pending_, about to go.
  void CountDropped(std::size_t n);

  // What stands before a MAC and tells whether it counts: "Hex-STRING: ".
  static constexpr std::size_t kLookBehind = 16;

  std::size_t longest_run_, context_;
  std::string pending_;
  std::size_t from_ = 0;   // where the next MAC may start in pending_
  std::size_t plain_ = 0;  // pending_ holds no hard byte from from_ to here
  std::size_t lines_ = 0;  // the line of pending_[0], 0 when not counted
  bool after_cr_ = false;  // the byte before pending_[0] was a CR
  LabelContext labels_;
};

}  // namespace venmark

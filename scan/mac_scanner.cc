#include "scan/mac_scanner.h"

#include <algorithm>

#include "scan/byte_passes.h"
#include "scan/mac.h"
#include "scan/mac_shapes.h"

namespace venmark {
namespace {

constexpr std::string_view kHexStringTag = "Hex-STRING:";

// The colon of a "Hex-STRING:" followed by blanks up to at, or npos.
std::size_t TagBefore(std::string_view text, std::size_t at) {
  std::size_t blanks = at;
  while (blanks > 0 && text[blanks - 1] == ' ') --blanks;
  if (blanks == at || blanks < kHexStringTag.size() ||
      text.substr(blanks - kHexStringTag.size(), kHexStringTag.size()) !=
          kHexStringTag) {
    return std::string_view::npos;
  }
  return blanks - 1;
}

}  // namespace

using shapes::IsAlnum;
using shapes::IsHardByte;
using shapes::IsWhole;
using shapes::IsWholeBare;
using shapes::MatchColonShort;
using shapes::PairFollows;

std::string KeyIn(std::string_view candidate_mac, Notation notation) {
  MacScanner scanner(candidate_mac);
  const std::optional<MacFinding> finding = scanner.Next();
  if (!finding || finding->notation != notation ||
      finding->candidate_mac.size() != candidate_mac.size() || scanner.Next()) {
    return {};
  }
  return mac::OuiKey(finding->address);
}

bool MacScanner::Labelled(std::size_t at, std::size_t end, LabelKind kind) {
  if (labels_ == nullptr) labels_ = &own_labels_.emplace();
  return labels_->Labelled(text_, at, end, kind);
}

// Whether the text of row at [at, at + length) stands on its own.
bool MacScanner::Whole(const NotationRow& row, std::size_t at,
                       std::size_t length) const {
  if (row.separator.empty()) return IsWholeBare(text_, at, length);
  // A seventh pair after six spaced ones makes them a longer string.
  if (row.separator == " " && PairFollows(text_, at + length)) return false;
  return IsWhole(text_, at, length, row.separator);
}

std::optional<MacFinding> MacScanner::MatchAt(std::size_t word,
                                              std::size_t end) {
  const std::size_t length = end - word;
  const char after = end < text_.size() ? shapes::Lower(text_[end]) : '\0';
  for (const NotationRow& row : Notations()) {
    std::uint64_t address = 0;
    std::size_t mac_length = 0;
    switch (row.reading) {
      case Reading::kGroups:
        // Only the pairs after their tag are read from the tag.
        if (row.first_word_length != length || row.need == Need::kTag ||
            (!row.separator.empty() && after != row.separator[0]) ||
            !ReadGroups(row, text_, word, &address)) {
          continue;
        }
        mac_length = row.text_length;
        if (!Whole(row, word, mac_length)) continue;
        if (row.need == Need::kDotLeader) {
          if (!DotLeaderBefore(text_, word)) continue;
        } else if (row.need != Need::kNothing &&
                   !Labelled(word, word + mac_length, LabelOf(row.need))) {
          continue;
        }
        break;
      case Reading::kShortColon:
        // With one-digit groups no colon may stand before it at all: the
        // tail of an IPv6 address ("fe80::1:2:3:4:5:6") is no MAC. Six
        // pairs were told by their own row.
        if (length > 2 || after != ':' ||
            !MatchColonShort(text_, word, &address, &mac_length) ||
            mac_length == row.text_length ||
            !IsWhole(text_, word, mac_length, ":") ||
            (word > 0 && text_[word - 1] == ':')) {
          continue;
        }
        break;
      case Reading::kShortDuid:
        if (length > 2 || after != ':' ||
            !ReadShortDuid(text_, word, &address, &mac_length)) {
          continue;
        }
        break;
      case Reading::kIpv6:
        if (length > 4 || after != ':' ||
            !ReadEui64Address(text_, word, &address, &mac_length)) {
          continue;
        }
        break;
    }
    return MacFinding{word, row.notation, text_.substr(word, mac_length),
                      address, row.source};
  }
  return std::nullopt;
}

std::optional<MacFinding> MacScanner::MatchHexString(std::size_t pairs) {
  const NotationRow& row = HexStringRow();
  const std::size_t length = row.text_length;
  std::uint64_t address = 0;
  if (!ReadGroups(row, text_, pairs, &address) || !Whole(row, pairs, length)) {
    return std::nullopt;
  }
  return MacFinding{pairs, row.notation, text_.substr(pairs, length), address,
                    row.source};
}

std::size_t MacScanner::PairsAfter(std::size_t colon) const {
  const std::size_t tag_size = kHexStringTag.size();
  if (colon + 1 < tag_size ||
      text_.substr(colon + 1 - tag_size, tag_size) != kHexStringTag) {
    return std::string_view::npos;
  }
  std::size_t pairs = colon + 1;
  while (pairs < text_.size() && text_[pairs] == ' ') ++pairs;
  return pairs > colon + 1 ? pairs : std::string_view::npos;
}

std::size_t LineEnds(std::string_view text, bool after_cr) {
  auto ends =
      static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
  // CRs are few outside Windows text: sought, not counted byte by byte.
  // Each ends a line, and the LF right after it ends none of its own.
  for (std::size_t cr = text.find('\r'); cr != std::string_view::npos;
       cr = text.find('\r', cr + 1)) {
    ++ends;
    if (cr + 1 < text.size() && text[cr + 1] == '\n') --ends;
  }
  if (after_cr && text.starts_with('\n')) --ends;
  return ends;
}

std::optional<MacFinding> MacScanner::Next() {
  std::optional<MacFinding> found = NextUnnumbered();
  if (found && count_lines_) {
    // Only the first count can start after a CR: a MAC's first byte is
    // no line end.
    line_ += LineEnds(text_.substr(counted_to_, found->offset - counted_to_),
                      counted_to_ == 0 && after_cr_);
    counted_to_ = found->offset;
    found->line = line_;
  }
  return found;
}

std::optional<MacFinding> MacScanner::NextUnnumbered() {
  const std::size_t size = text_.size();
  const std::size_t limit = std::min(size, start_limit_);
  std::size_t i = position_;
  // The MAC in the pairs after the tag that ends at colon, if any.
  auto after_tag = [&](std::size_t colon) -> std::optional<MacFinding> {
    const std::size_t pairs = PairsAfter(colon);
    if (pairs >= limit) return std::nullopt;
    std::optional<MacFinding> found = MatchHexString(pairs);
    if (found) position_ = pairs + found->candidate_mac.size() - 2;
    return found;
  };
  if (!began_) {
    began_ = true;
    // A tag whose blanks reach where the scan begins: a block may have
    // been cut among them.
    if (const std::size_t colon = TagBefore(text_, std::min(i, size));
        colon != std::string_view::npos) {
      if (std::optional<MacFinding> found = after_tag(colon)) return found;
    }
  }
  while (i < limit) {
    // A MAC starts where a word of letters and digits starts, one whose
    // shape fits a notation's first group; Hex-STRING pairs after their
    // tag (MacStarts).
    bool tag = false;
    const std::size_t at = starts_.Next(i, &tag);
    if (at >= limit) break;
    if (tag) {
      if (std::optional<MacFinding> found = after_tag(at)) return found;
      i = at + 1;
      continue;
    }
    std::size_t end = at;
    while (end < size && IsAlnum(text_[end])) ++end;
    if (std::optional<MacFinding> found = MatchAt(at, end)) {
      // No MAC starts at an inner group of a whole one: each stands
      // between the MAC's own separators and hex words. Its last group
      // may start another ("00-11-22-33-44-55:66:77:88:99:aa").
      std::size_t last = at + found->candidate_mac.size();
      while (last > at && IsAlnum(text_[last - 1])) --last;
      position_ = std::max(end, last);
      return found;
    }
    // Past the word, and past the start at any rate: a mapped file cut
    // short after its bytes were classed reads as zeros here, and the
    // start must not be found again.
    i = std::max(end, at + 1);
  }
  position_ = std::max(position_, limit);
  return std::nullopt;
}

std::vector<MacFinding> FindMacs(std::string_view text) {
  std::vector<MacFinding> findings;
  MacScanner scanner(text);
  while (std::optional<MacFinding> finding = scanner.Next()) {
    findings.push_back(std::move(*finding));
  }
  return findings;
}

void StreamScanner::Keep(std::size_t from) {
  // A MAC at from or later may follow a separator and a hex word, and is
  // whole only if that word has a letter past f: the word is kept, up to
  // context_ bytes of it.
  std::size_t word = from;
  if (word > 0 && !IsAlnum(pending_[word - 1])) --word;
  while (word > 0 && IsAlnum(pending_[word - 1]) && from - word < context_) {
    --word;
  }
  std::size_t keep = std::min(from, std::max(kLookBehind, from - word));
  // Blanks may stand between "Hex-STRING:" and its pairs, any number of
  // them: a tag further back than the bytes kept is kept as the tag and
  // one blank, which tell the same.
  constexpr std::string_view kTagged = "Hex-STRING: ";
  const std::size_t colon = TagBefore(pending_, from);
  if (colon != std::string_view::npos &&
      from - (colon + 1 - kHexStringTag.size()) > keep) {
    keep = kTagged.size();
    labels_.Drop(pending_, from, from - keep);
    CountDropped(from);
    pending_.replace(0, from, kTagged);
  } else {
    labels_.Drop(pending_, from, from - keep);
    CountDropped(from - keep);
    pending_.erase(0, from - keep);
  }
  plain_ -= std::min(plain_, from - keep);
  from_ = keep;
}

void StreamScanner::CountDropped(std::size_t n) {
  if (lines_ != 0 && n > 0) {
    const std::string_view dropped = std::string_view(pending_).substr(0, n);
    lines_ += LineEnds(dropped, after_cr_);
    after_cr_ = dropped.back() == '\r';
  }
}

std::size_t StreamScanner::DecidedLength() {
  // A byte that is neither a hex digit nor a separator can be part of no
  // MAC, and no hex word runs across it: whether a MAC before it or after
  // it stands whole is settled on its own side. So the text up to the last
  // such byte is decided.
  // Bytes before from_ were decided before, and those up to plain_ were
  // looked at already.
  for (std::size_t i = pending_.size(); i > std::max(from_, plain_); --i) {
    if (IsHardByte(pending_[i - 1])) return i;
  }
  plain_ = pending_.size();
  return 0;
}

}  // namespace venmark

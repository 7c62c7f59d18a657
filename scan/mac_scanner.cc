#include "scan/mac_scanner.h"

#include <algorithm>

#include "scan/byte_passes.h"
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
using shapes::JoinKey;
using shapes::kClientIdLength;
using shapes::kGroupedLength;
using shapes::kQuadLength;
using shapes::kSixSixLength;
using shapes::MatchClientId;
using shapes::MatchColonShort;
using shapes::MatchGroups;
using shapes::PairFollows;

std::string SearchWindows(std::string_view candidate_mac) {
  return JoinKey(candidate_mac, 0, 1, 3, 4, 6, 7);
}

std::string SearchUnix(std::string_view candidate_mac) {
  return JoinKey(candidate_mac, 0, 1, 3, 4, 6, 7);
}

std::string SearchCisco(std::string_view candidate_mac) {
  return JoinKey(candidate_mac, 0, 1, 2, 3, 5, 6);
}

std::string SearchHuawei(std::string_view candidate_mac) {
  return SearchCisco(candidate_mac);
}

bool MacScanner::Labelled(std::size_t at, std::size_t end) {
  if (labels_ == nullptr) labels_ = &own_labels_.emplace();
  return labels_->Labelled(text_, at, end);
}

std::optional<MacFinding> MacScanner::MatchAt(std::size_t word,
                                              std::size_t end) {
  const std::size_t size = text_.size();
  const std::size_t length = end - word;
  const char after = end < size ? text_[end] : '\0';
  std::uint64_t address = 0;
  auto finding = [&](std::size_t mac_length, Notation notation) {
    const std::string_view mac = text_.substr(word, mac_length);
    return MacFinding{word, notation, mac, address};
  };
  switch (length) {
    case 1:
    case 2: {
      std::size_t mac_length = 0;
      // Two digits a group, as most systems write them, is told first.
      if (after == ':' && length == 2 && word + kGroupedLength <= size &&
          MatchGroups<6, 2>(text_.substr(word, kGroupedLength), ':',
                            &address)) {
        if (IsWhole(text_, word, kGroupedLength, ':')) {
          return finding(kGroupedLength, Notation::kColon);
        }
        return std::nullopt;
      }
      if (after == ':' && MatchColonShort(text_, word, &address, &mac_length)) {
        // With one-digit groups no colon may stand before it at all: the
        // tail of an IPv6 address ("fe80::1:2:3:4:5:6") is no MAC.
        const bool grouped = mac_length == kGroupedLength;
        if (IsWhole(text_, word, mac_length, ':') &&
            (grouped || word == 0 || text_[word - 1] != ':')) {
          return finding(mac_length,
                         grouped ? Notation::kColon : Notation::kColonShort);
        }
      }
      if (length == 2 && after == '-' && word + kGroupedLength <= size &&
          MatchGroups<6, 2>(text_.substr(word, kGroupedLength), '-',
                            &address) &&
          IsWhole(text_, word, kGroupedLength, '-')) {
        return finding(kGroupedLength, Notation::kDash);
      }
      return std::nullopt;
    }
    case 4:
      if ((after == '.' || after == '-') && word + kQuadLength <= size &&
          MatchGroups<3, 4>(text_.substr(word, kQuadLength), after, &address) &&
          IsWhole(text_, word, kQuadLength, after)) {
        return finding(kQuadLength,
                       after == '.' ? Notation::kDot : Notation::kDashQuad);
      }
      // 01 (Ethernet) and the MAC: "0100.1a2b.3c4d.5e".
      if (after == '.' && text_[word] == '0' && text_[word + 1] == '1' &&
          word + kClientIdLength <= size &&
          MatchClientId(text_.substr(word, kClientIdLength), &address) &&
          IsWhole(text_, word, kClientIdLength, '.')) {
        return finding(kClientIdLength, Notation::kClientId);
      }
      return std::nullopt;
    case 6:
      if (after == '-' && word + kSixSixLength <= size &&
          MatchGroups<2, 6>(text_.substr(word, kSixSixLength), '-', &address) &&
          IsWhole(text_, word, kSixSixLength, '-')) {
        return finding(kSixSixLength, Notation::kSixSix);
      }
      return std::nullopt;
    case 12:
      if (MatchGroups<1, 12>(text_.substr(word, 12), '\0', &address) &&
          IsWholeBare(text_, word, 12) && Labelled(word, end)) {
        return finding(12, Notation::kBare);
      }
      return std::nullopt;
    case 14:
      // 0x001A2B3C4D5E (HP-UX lanscan).
      if (text_[word] == '0' && (text_[word + 1] | 0x20) == 'x' &&
          MatchGroups<1, 12>(text_.substr(word + 2, 12), '\0', &address) &&
          IsWholeBare(text_, word, 14) && Labelled(word, end)) {
        return finding(14, Notation::kBare);
      }
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<MacFinding> MacScanner::MatchHexString(std::size_t pairs) {
  std::uint64_t address = 0;
  if (pairs + kGroupedLength > text_.size() ||
      !MatchGroups<6, 2>(text_.substr(pairs, kGroupedLength), ' ', &address) ||
      !IsWhole(text_, pairs, kGroupedLength, ' ') ||
      PairFollows(text_, pairs + kGroupedLength)) {
    return std::nullopt;
  }
  return MacFinding{pairs, Notation::kHexString,
                    text_.substr(pairs, kGroupedLength),
                    address};
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

std::optional<MacFinding> MacScanner::Next() {
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
    pending_.replace(0, from, kTagged);
  } else {
    labels_.Drop(pending_, from, from - keep);
    pending_.erase(0, from - keep);
  }
  plain_ -= std::min(plain_, from - keep);
  from_ = keep;
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

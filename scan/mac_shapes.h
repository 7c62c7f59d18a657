#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "scan/byte_classes.h"

// The shapes MACs are written in, and what may stand around them: the
// scanner's vocabulary.
namespace venmark::shapes {

inline bool IsHex(char c) {
  return byte_classes::kOf[static_cast<unsigned char>(c)] & byte_classes::kHex;
}
inline bool IsAlnum(char c) {
  return byte_classes::kOf[static_cast<unsigned char>(c)] &
         byte_classes::kAlnum;
}

// The fewest bytes any MAC but the Hex-STRING pairs is written in:
// "0:0:0:0:0:0".
inline constexpr std::size_t kShortestMac = 11;

// c in upper case, if it is a Latin letter.
char Upper(char c);

// c in lower case, if it is a Latin letter.
char Lower(char c);

// Whether text holds word (in lower case) at `at`, in any case.
bool HasAt(std::string_view text, std::size_t at, std::string_view word);

// Whether the MAC at [start, start + length) stands on its own: no letter
// or digit touches it, and its separator (lower case; any case in text)
// does not carry it on into a hex word on either side.
bool IsWhole(std::string_view text, std::size_t start, std::size_t length,
             std::string_view separator);

// The same for a bare word and every separator (a GUID's last group).
bool IsWholeBare(std::string_view text, std::size_t start, std::size_t length);

// Reads colon groups of one or two hex digits from start into groups, at
// most groups.size() of them, going on while a colon and a hex digit
// follow: how many, *end after the last. 0 where a group has no digit or
// runs on into a third.
std::size_t ReadColonGroups(std::string_view text, std::size_t start,
                            std::span<unsigned> groups, std::size_t* end);

// Whether six groups of one or two hex digits joined by colons start at
// start; their value into *address, their length into *length.
bool MatchColonShort(std::string_view text, std::size_t start,
                     std::uint64_t* address, std::size_t* length);

// Whether " HH" (a seventh pair) follows at position at.
bool PairFollows(std::string_view text, std::size_t at);

// A byte that no MAC holds and that joins no words.
bool IsHardByte(char c);

}  // namespace venmark::shapes

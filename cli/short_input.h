#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace venmark {

// An input read whole before any listing: its MACs tell which records the
// listings need to give.
struct ShortInput {
  bool read = false;  // false: nothing of it was read
  int error = 0;      // errno of a failed read
  std::string text;   // UTF-8
};

// Reads the input called name (in for "-") whole when it is a regular
// file shorter than a long text (ListingSet::kLongText); UTF-16 with a
// byte-order mark is decoded. Reads nothing of anything else.
ShortInput ReadShortInput(const std::string& name, std::FILE* in);

// The 24-bit prefixes of the MACs in text, those found inside other
// identifiers too, each once.
std::vector<std::uint32_t> PrefixesOf(std::string_view text);

}  // namespace venmark

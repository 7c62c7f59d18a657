#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "listings/problem.h"

// The administrator's own names: devices by their whole MAC and ranges by
// a prefix, as /etc/ethers and names.txt give them.
namespace venmark {

// A range the administrator named: the top `bits` bits of its addresses.
struct NamedRange {
  std::uint64_t prefix = 0;  // the 48 bits, those past `bits` zero
  int bits = 0;              // 1 to 47
  std::uint32_t order = 0;   // of all ranges read, the how-manieth
  std::string_view name;     // in the text of its names file, kept
};

// No one writes names files near this size; a larger one is something
// else, and is named rather than read.
inline constexpr std::size_t kMaxNamesBytes = std::size_t{64} << 20;

// A names file that could not be read, passed over: where and why.
struct NamesFileProblem {
  std::string path;
  ReadFailure why;
};

// A line of a names file that names nothing, skipped.
struct BadNameLine {
  std::string path;
  std::size_t line = 0;  // 1-based
};

class UserNames {
 public:
  // Reads the lines of a names file's text: "MAC name" (as /etc/ethers
  // has them) or "PREFIX/BITS name" ("0A-1B-2C/24 lab", "00:50:56:80:00:00/28
  // vm cluster"); # starts a comment. A MAC or range named before keeps
  // its first name. Lines that name nothing go to *bad.
  void Add(std::string text, const std::string& path,
           std::vector<BadNameLine>* bad);

  // The device's name of a whole MAC, or nothing.
  std::optional<std::string_view> Device(std::uint64_t address) const;

  // The most specific range holding address, or null.
  const NamedRange* Range(std::uint64_t address) const;

  std::size_t size() const { return devices_.size() + ranges_.size(); }

 private:
  // The names files' texts, which the names below point into: kept
  // whole, names are never copied one by one.
  std::vector<std::shared_ptr<const std::string>> texts_;
  std::unordered_map<std::uint64_t, std::string_view> devices_;
  // The longest prefixes first, and of one length by prefix: each length
  // is searched by halves, not range by range.
  std::vector<NamedRange> ranges_;
  // Where each length's ranges start in ranges_, longest first.
  std::vector<std::pair<int, std::size_t>> lengths_;
};

// A MAC or a prefix as a names file writes it: colon or dash pairs (or
// groups of one digit, as /etc/ethers may), dotted groups of four, or bare
// digits; with "/BITS" a prefix of up to six bytes. Its 48 bits and length
// (48 for a whole MAC), or nothing.
std::optional<std::pair<std::uint64_t, int>> ParseNamedAddress(
    std::string_view text);

}  // namespace venmark

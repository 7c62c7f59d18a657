#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The administrator's own names: devices by their whole MAC and ranges by
// a prefix, as /etc/ethers and names.txt give them.
namespace venmark {

// A range the administrator named: the top `bits` bits of its addresses.
struct NamedRange {
  std::uint64_t prefix = 0;  // the 48 bits, those past `bits` zero
  int bits = 0;              // 1 to 47
  std::string name;
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
  void Add(std::string_view text, const std::string& path,
           std::vector<BadNameLine>* bad);

  // The device's name of a whole MAC, or nothing.
  std::optional<std::string_view> Device(std::uint64_t address) const;

  // The most specific range holding address, or null.
  const NamedRange* Range(std::uint64_t address) const;

  std::size_t size() const { return devices_.size() + ranges_.size(); }

 private:
  std::unordered_map<std::uint64_t, std::string> devices_;
  std::vector<NamedRange> ranges_;  // the longest prefixes first
};

// A MAC or a prefix as a names file writes it: colon or dash pairs (or
// groups of one digit, as /etc/ethers may), dotted groups of four, or bare
// digits; with "/BITS" a prefix of up to six bytes. Its 48 bits and length
// (48 for a whole MAC), or nothing.
std::optional<std::pair<std::uint64_t, int>> ParseNamedAddress(
    std::string_view text);

}  // namespace venmark

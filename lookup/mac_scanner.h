#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace venmark {

// The three ways MAC addresses are commonly written.
enum class Notation {
  kDash,   // 00-1a-2b-3c-4d-5e (Windows)
  kColon,  // 00:1a:2b:3c:4d:5e (Unix-like systems)
  kDot,    // 001a.2b3c.4d5e (Cisco)
};

// One MAC address found in a text.
struct MacFinding {
  std::size_t offset = 0;  // byte offset of the MAC in the text
  Notation notation = Notation::kDash;
  std::string_view candidate_mac;  // the MAC exactly as written in the text
  std::string oui_key;             // manufacturer prefix, always "00-1A-2B"
};

// Key of a dash-separated MAC: its first eight characters, upper-cased.
std::string SearchWindows(std::string_view candidate_mac);

// Key of a colon-separated MAC: its first three groups, upper-cased,
// joined by dashes.
std::string SearchUnix(std::string_view candidate_mac);

// Key of a dot-separated MAC: its first six digits, upper-cased, in pairs
// joined by dashes.
std::string SearchCisco(std::string_view candidate_mac);

// Walks a text from its start and yields every MAC written in it, by
// position. Any bytes may surround a MAC, so UTF-8 text scans as it is. The
// text must outlive the scanner and its findings.
class MacScanner {
 public:
  explicit MacScanner(std::string_view text) : text_(text) {}

  // Yields only the MACs that start before start_limit; the text after it
  // serves to complete them. Lets a stream be scanned a block at a time.
  MacScanner(std::string_view text, std::size_t start_limit)
      : text_(text), start_limit_(start_limit) {}

  // The next MAC in the text, or nothing once the text is used up.
  std::optional<MacFinding> Next();

 private:
  std::string_view text_;
  std::size_t start_limit_ = std::string_view::npos;
  std::size_t position_ = 0;
};

// Every MAC written in text, by position.
std::vector<MacFinding> FindMacs(std::string_view text);

}  // namespace venmark

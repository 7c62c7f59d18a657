// libFuzzer: the scanner must find exactly the MACs the plain model finds,
// with keys and addresses that match what is written.
#include "lookup/mac_scanner.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "testing/mac_scanner_model.h"

namespace {

int Digit(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<venmark::MacFinding> found = venmark::FindMacs(text);
  const std::vector<std::string> expected = venmark::model::Macs(text);
  if (found.size() != expected.size()) std::abort();
  for (std::size_t i = 0; i < found.size(); ++i) {
    const venmark::MacFinding& finding = found[i];
    if (finding.candidate_mac != expected[i]) std::abort();
    if (text.substr(finding.offset, finding.candidate_mac.size()) !=
        finding.candidate_mac) {
      std::abort();
    }
    std::uint64_t address = 0;
    std::string key;
    for (const char c : finding.candidate_mac) {
      if (c == '-' || c == ':' || c == '.') continue;
      address = address << 4 | static_cast<std::uint64_t>(Digit(c));
      if (key.size() == 2 || key.size() == 5) key += '-';
      if (key.size() < 8) key += static_cast<char>(std::toupper(c));
    }
    if (address != finding.address || key != finding.oui_key) std::abort();
  }
  return 0;
}

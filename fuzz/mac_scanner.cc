// libFuzzer: the scanner must find exactly the MACs the plain model finds,
// with keys and addresses that match what is written.
#include "scan/mac_scanner.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "testing/mac_scanner_model.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<venmark::MacFinding> found = venmark::FindMacs(text);
  const std::vector<venmark::model::Found> expected =
      venmark::model::Findings(text);
  if (found.size() != expected.size()) std::abort();
  for (std::size_t i = 0; i < found.size(); ++i) {
    const venmark::MacFinding& finding = found[i];
    if (finding.candidate_mac != expected[i].mac ||
        finding.address != expected[i].address ||
        text.substr(finding.offset, finding.candidate_mac.size()) !=
            finding.candidate_mac) {
      std::abort();
    }
  }
  return 0;
}

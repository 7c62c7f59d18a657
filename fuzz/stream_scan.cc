// libFuzzer: a text handed to StreamScanner in blocks must give exactly the
// findings of a scan of the whole text, whatever the limits on held text.
// The first byte sets the block size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/mac_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size == 0) return 0;
  const std::size_t block = data[0] % 32 + 1;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1,
                              size - 1);
  std::vector<std::string> whole;
  for (const venmark::MacFinding& f : venmark::FindMacs(text)) {
    whole.emplace_back(f.candidate_mac);
  }
  // With the held text's limits as shipped, and so small that text of hex
  // digits, separators and blanks alone is cut all the time.
  for (const std::size_t longest :
       {venmark::StreamScanner::kLongestRun, std::size_t{96}}) {
    std::vector<std::string> blockwise;
    auto found = [&](const venmark::MacFinding& f) {
      blockwise.emplace_back(f.candidate_mac);
    };
    venmark::StreamScanner scanner(
        longest, longest == 96 ? 32 : venmark::StreamScanner::kContext);
    for (std::size_t at = 0; at < text.size(); at += block) {
      scanner.Feed(text.substr(at, block), found);
    }
    scanner.Finish(found);
    if (blockwise != whole) std::abort();
  }
  return 0;
}

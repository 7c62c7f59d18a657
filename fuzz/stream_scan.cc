// libFuzzer: a text handed to StreamScanner in blocks must give exactly the
// findings of a scan of the whole text, whatever the limits on held text.
// The first byte sets the block size.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "scan/mac_scanner.h"

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
  // digits, separators and blanks alone is cut all the time: then only
  // words shorter than the context less a MAC are sure to be seen whole.
  std::size_t word = 0, longest_word = 0;
  for (const char c : text) {
    word = std::isalnum(static_cast<unsigned char>(c)) ? word + 1 : 0;
    longest_word = std::max(longest_word, word);
  }
  constexpr std::size_t kSmall = 160, kSmallContext = 64;
  for (const std::size_t longest :
       {venmark::StreamScanner::kLongestRun, kSmall}) {
    if (longest == kSmall && longest_word + 18 >= kSmallContext) break;
    std::vector<std::string> blockwise;
    auto found = [&](const venmark::MacFinding& f) {
      blockwise.emplace_back(f.candidate_mac);
    };
    venmark::StreamScanner scanner(
        longest,
        longest == kSmall ? kSmallContext : venmark::StreamScanner::kContext);
    for (std::size_t at = 0; at < text.size(); at += block) {
      scanner.Feed(text.substr(at, block), found);
    }
    scanner.Finish(found);
    if (blockwise != whole) std::abort();
  }
  return 0;
}

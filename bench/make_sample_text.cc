// Writes a sample text for timing venmark-scan end to end:
//   make-sample-text [MAC_COUNT] > sample.txt
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/sample_text.h"

int main(int argc, char** argv) {
  const std::size_t count =
      argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
  const std::string text = venmark::MakeSampleText(count);
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0
                                                                         : 1;
}

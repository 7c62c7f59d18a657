// Writes a sample text for timing venmark-scan end to end:
//   make-sample-text [MAC_COUNT] > switch-table.txt
//   make-sample-text --syslog MEGABYTES > syslog.txt
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/sample_text.h"

int main(int argc, char** argv) {
  const bool syslog = argc > 1 && std::string(argv[1]) == "--syslog";
  const char* number = argc > (syslog ? 2 : 1) ? argv[syslog ? 2 : 1] : nullptr;
  const std::size_t count = number != nullptr
                                ? std::strtoul(number, nullptr, 10)
                                : (syslog ? 200 : 100000);
  const std::string text = syslog ? venmark::MakeSyslog(count << 20)
                                  : venmark::MakeSampleText(count);
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0
                                                                         : 1;
}

#include "cli/console.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "app/texts.h"

namespace venmark {

void PrintLine(std::FILE* stream, std::string line) {
  const std::string text =
      "venmark-scan: " + text::LowerFirst(std::move(line)) + "\n";
  std::fwrite(text.data(), 1, text.size(), stream);
}

bool IsTerminal(std::FILE* stream) {
#ifdef _WIN32
  return _isatty(_fileno(stream)) != 0;
#else
  return ::isatty(::fileno(stream)) != 0;
#endif
}

}  // namespace venmark

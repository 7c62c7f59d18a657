#include "cli/console.h"

#include "app/texts.h"

namespace venmark {

void PrintLine(std::FILE* stream, std::string line) {
  const std::string text =
      "venmark-scan: " + text::LowerFirst(std::move(line)) + "\n";
  std::fwrite(text.data(), 1, text.size(), stream);
}

}  // namespace venmark

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/result_format.h"
#include "scan/result.h"

namespace venmark {

// What venmark-scan was asked to do.
struct Options {
  std::string listing_path;  // empty: looked for where listings are looked for
  std::vector<std::string> inputs;  // "-" for standard input
  const ResultFormat* format = &ResultFormat::kText;
  bool help = false;
  bool version = false;
  bool list_kinds = false;
  bool update = false;
  std::string from;  // --from: where the update fetches from; empty: set
};

// Parses args (program name excluded); a usage error fails with its
// message.
Result<Options, std::string> ParseArgs(const std::vector<std::string>& args);

}  // namespace venmark

#include "cli/short_input.h"

#include <algorithm>
#include <optional>

#include "cli/input_file.h"
#include "cli/stream_scan.h"
#include "cli/whole_input.h"
#include "listings/listing_set.h"
#include "scan/input_decoder.h"
#include "scan/mac_scanner.h"
#include "scan/text_codec.h"

namespace venmark {

ShortInput ReadShortInput(const std::string& name, std::FILE* in) {
  ShortInput input;
  std::FILE* file = name == "-" ? in : OpenInput(name);
  if (file == nullptr) return input;
  WholeInput whole = ReadWholeInput(file, ListingSet::kLongText - 1);
  if (file != in) std::fclose(file);
  if (!whole.whole) return input;
  input.read = true;
  input.error = whole.error;
  // UTF-8, UTF-16 with its mark, or a Russian code page, read as UTF-8.
  InputDecoder decoder;
  std::string room;
  input.text.assign(decoder.Feed(whole.bytes.view(), &room));
  input.text.append(decoder.Finish(&room));
  return input;
}

std::vector<std::uint32_t> PrefixesOf(std::string_view text) {
  std::vector<std::uint32_t> prefixes;
  MacScanner scanner(text);
  while (const std::optional<MacFinding> finding = scanner.Next()) {
    prefixes.push_back(static_cast<std::uint32_t>(finding->address >> 24));
  }
  std::sort(prefixes.begin(), prefixes.end());
  prefixes.erase(std::unique(prefixes.begin(), prefixes.end()), prefixes.end());
  return prefixes;
}

}  // namespace venmark

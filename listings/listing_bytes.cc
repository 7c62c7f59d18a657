#include "listings/listing_bytes.h"

#include <algorithm>
#include <utility>

#include "scan/text_codec.h"

namespace venmark {

ListingBytes::ListingBytes(std::string_view text)
    : owned_{AllocateBytes(text.size()), text.size(), {}} {
  std::copy(text.begin(), text.end(), owned_.data.get());
}

Result<ListingBytes, ReadFailure> ListingBytes::Read(const std::string& path) {
  Result<FileBytes, ReadFailure> data = ReadListingFile(path);
  if (!data) return Fail(data.problem());
  return ListingBytes(std::move(*data));
}

std::string_view NameAsUtf8(std::string_view name,
                            std::deque<std::string>* decoded) {
  if (IsValidUtf8(name)) return name;
  std::string& text = decoded->emplace_back();
  AppendWindows1252AsUtf8(name, &text);
  return text;
}

}  // namespace venmark

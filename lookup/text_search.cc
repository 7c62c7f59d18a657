#include "lookup/text_search.h"

#include <string.h>

#include <cctype>
#include <cstring>

namespace venmark {

Finder::Finder(std::string_view needle, std::size_t rare)
    : needle_(needle),
      rare_(rare),
      by_rare_byte_(rare > 0 ||
                    (!needle.empty() &&
                     !std::isalnum(static_cast<unsigned char>(needle[0])))) {
  skip_.fill(needle.size());
  for (std::size_t i = 0; i + 1 < needle.size(); ++i) {
    skip_[static_cast<unsigned char>(needle[i])] = needle.size() - 1 - i;
  }
}

std::size_t Finder::In(std::string_view text, std::size_t from) const {
  const std::size_t m = needle_.size();
  if (m == 0 || from >= text.size() || text.size() - from < m) {
    return std::string_view::npos;
  }
  // A needle with a byte lines seldom hold ("(hex)"): memchr goes to each
  // one at memory speed.
  if (by_rare_byte_) {
    const char rare = needle_[rare_];
    for (std::size_t at = from + rare_; at + m - rare_ <= text.size();) {
      const void* hit = std::memchr(text.data() + at, rare,
                                    text.size() - at - (m - rare_) + 1);
      if (hit == nullptr) return std::string_view::npos;
      const auto found =
          static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
      if (text.compare(found - rare_, m, needle_) == 0) return found - rare_;
      at = found + 1;
    }
    return std::string_view::npos;
  }
#ifdef __GLIBC__
  // glibc's memmem looks at two bytes at a time and outruns Horspool.
  const void* found =
      memmem(text.data() + from, text.size() - from, needle_.data(), m);
  return found == nullptr ? std::string_view::npos
                          : static_cast<std::size_t>(
                                static_cast<const char*>(found) - text.data());
#else
  for (std::size_t at = from; at + m <= text.size();
       at += skip_[static_cast<unsigned char>(text[at + m - 1])]) {
    if (text.compare(at, m, needle_) == 0) return at;
  }
  return std::string_view::npos;
#endif
}

}  // namespace venmark

#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace venmark {

// Finds a short needle ("(hex)", "00-1A-2B", "Hex-STRING:") in text from
// `from` on, faster than string_view::find, whose first-byte search stops
// at every digit of them: memchr to each "(" of "(hex)", glibc's memmem,
// else Horspool's search. The needle must outlive the finder.
class Finder {
 public:
  // rare: the place in needle of a byte texts seldom hold, to go to each
  // one by memchr; 0 with a needle that starts with a letter or digit
  // leaves the search to memmem or Horspool.
  explicit Finder(std::string_view needle, std::size_t rare = 0);
  // The first offset at or after from where the needle stands, or npos.
  std::size_t In(std::string_view text, std::size_t from) const;

 private:
  std::string_view needle_;
  std::size_t rare_ = 0;
  bool by_rare_byte_ = false;
  std::array<std::size_t, 256> skip_{};
};

}  // namespace venmark

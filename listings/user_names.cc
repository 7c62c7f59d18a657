#include "listings/user_names.h"

#include <algorithm>
#include <tuple>

#include "listings/text_search.h"
#include "scan/mac.h"
#include "scan/text_codec.h"

namespace venmark {
namespace {

constexpr std::string_view kBlanks = " \t\r\f\v";

std::string_view Trim(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(kBlanks);
  if (begin == std::string_view::npos) return {};
  return text.substr(begin, text.find_last_not_of(kBlanks) - begin + 1);
}

// The bytes of groups joined by one separator: pairs (or single digits)
// joined by ':' or '-', groups of four joined by '.', or bare pairs.
std::optional<std::vector<unsigned>> Bytes(std::string_view text) {
  const std::size_t at = text.find_first_of(":-.");
  const char separator = at == std::string_view::npos ? '\0' : text[at];
  std::vector<std::string_view> groups;
  if (separator == '\0') {
    groups.push_back(text);
  } else {
    for (std::size_t begin = 0;;) {
      const std::size_t end = text.find(separator, begin);
      groups.push_back(text.substr(begin, end - begin));
      if (end == std::string_view::npos) break;
      begin = end + 1;
    }
  }
  std::vector<unsigned> bytes;
  for (std::string_view group : groups) {
    const std::optional<std::uint64_t> value = mac::ParseHex(group);
    if (!value) return std::nullopt;
    if (separator == ':' || separator == '-') {
      if (group.size() > 2) return std::nullopt;
      bytes.push_back(static_cast<unsigned>(*value));
      continue;
    }
    if ((separator == '.' && group.size() != 4) || group.size() % 2 != 0) {
      return std::nullopt;
    }
    for (std::size_t i = 0; i < group.size(); i += 2) {
      bytes.push_back(
          static_cast<unsigned>(*mac::ParseHex(group.substr(i, 2))));
    }
  }
  return bytes;
}

}  // namespace

std::optional<std::pair<std::uint64_t, int>> ParseNamedAddress(
    std::string_view text) {
  const std::size_t slash = text.find('/');
  const std::optional<std::vector<unsigned>> bytes =
      Bytes(text.substr(0, slash));
  if (!bytes || bytes->empty() || bytes->size() > 6) return std::nullopt;
  int bits = 48;
  if (slash != std::string_view::npos) {
    const std::string_view length = text.substr(slash + 1);
    if (length.empty() || length.size() > 2 ||
        !std::all_of(length.begin(), length.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
      return std::nullopt;
    }
    bits = std::stoi(std::string(length));
    if (bits < 1 || bits > 8 * static_cast<int>(bytes->size())) {
      return std::nullopt;
    }
  } else if (bytes->size() != 6) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < 6; ++i) {
    value = value << 8 | (i < bytes->size() ? (*bytes)[i] : 0u);
  }
  // The bits past the prefix say nothing of the range.
  if (bits < 48) value &= ~((std::uint64_t{1} << (48 - bits)) - 1);
  return std::pair{value, bits};
}

void UserNames::Add(std::string text, const std::string& path,
                    std::vector<BadNameLine>* bad) {
  const auto& kept =
      texts_.emplace_back(std::make_shared<const std::string>(std::move(text)));
  const std::string_view all = *kept;
  ranges_.reserve(
      ranges_.size() +
      static_cast<std::size_t>(std::count(all.begin(), all.end(), '\n')) + 1);
  std::size_t number = 0;
  // CR LF, a lone LF and a lone CR (an old Mac editor's) each end a line.
  ForEachLine(all, [&](std::string_view line) {
    ++number;
    line = Trim(line.substr(0, line.find('#')));
    if (line.empty()) return;
    const std::size_t gap = line.find_first_of(kBlanks);
    const std::string_view name = gap == std::string_view::npos
                                      ? std::string_view()
                                      : Trim(line.substr(gap));
    const auto address = ParseNamedAddress(line.substr(0, gap));
    if (!address || name.empty()) {
      if (bad != nullptr) bad->push_back({path, number});
      return;
    }
    if (address->second == 48) {
      devices_.emplace(address->first, name);
      return;
    }
    ranges_.push_back({address->first, address->second,
                       static_cast<std::uint32_t>(ranges_.size()), name});
  });
  // Once for the whole file: the longest prefixes first, each length by
  // prefix, and of a range named twice its first name.
  const auto key = [](const NamedRange& range) {
    return std::tuple{-range.bits, range.prefix, range.order};
  };
  std::sort(ranges_.begin(), ranges_.end(),
            [&](const NamedRange& a, const NamedRange& b) {
              return key(a) < key(b);
            });
  ranges_.erase(std::unique(ranges_.begin(), ranges_.end(),
                            [](const NamedRange& a, const NamedRange& b) {
                              return a.bits == b.bits && a.prefix == b.prefix;
                            }),
                ranges_.end());
  // Numbered again in their order: the next file's come after them all.
  for (std::size_t i = 0; i < ranges_.size(); ++i) {
    ranges_[i].order = static_cast<std::uint32_t>(i);
  }
  lengths_.clear();
  for (std::size_t i = 0; i < ranges_.size(); ++i) {
    if (i == 0 || ranges_[i].bits != ranges_[i - 1].bits) {
      lengths_.emplace_back(ranges_[i].bits, i);
    }
  }
}

std::optional<std::string_view> UserNames::Device(std::uint64_t address) const {
  const auto found = devices_.find(address);
  if (found == devices_.end()) return std::nullopt;
  return found->second;
}

const NamedRange* UserNames::Range(std::uint64_t address) const {
  for (std::size_t i = 0; i < lengths_.size(); ++i) {
    const auto [bits, begin] = lengths_[i];
    const std::size_t end =
        i + 1 < lengths_.size() ? lengths_[i + 1].second : ranges_.size();
    // The address's own prefix of this length, its low bits zero.
    const std::uint64_t prefix = address >> (48 - bits) << (48 - bits);
    const auto first = ranges_.begin() + static_cast<std::ptrdiff_t>(begin);
    const auto last = ranges_.begin() + static_cast<std::ptrdiff_t>(end);
    const auto found = std::lower_bound(
        first, last, prefix, [](const NamedRange& range, std::uint64_t p) {
          return range.prefix < p;
        });
    if (found != last && found->prefix == prefix) return &*found;
  }
  return nullptr;
}

}  // namespace venmark

#include "lookup/vendor_db.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "lookup/text_codec.h"

namespace venmark {
namespace {

constexpr std::string_view kHexMarker = "(hex)";
constexpr std::size_t kMarkerColumn = 11;  // "(hex)" at columns 12-16
constexpr std::size_t kNameColumn = 18;    // the name from column 19 on

int UpperHexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Packs "00-1A-2B" into 0x001A2B. Keys compare exactly, so anything that is
// not upper-case hex in that shape can never match and yields nothing.
std::optional<std::uint32_t> PackKey(std::string_view key) {
  if (key.size() != 8 || key[2] != '-' || key[5] != '-') return std::nullopt;
  std::uint32_t packed = 0;
  for (const std::size_t at : {0, 1, 3, 4, 6, 7}) {
    const int digit = UpperHexValue(key[at]);
    if (digit < 0) return std::nullopt;
    packed = (packed << 4) | static_cast<std::uint32_t>(digit);
  }
  return packed;
}

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string DescribeSystemError(int error) {
  switch (error) {
    case ENOENT:
      return "файл не найден";
    case EACCES:
    case EPERM:
      return "нет прав на чтение";
    case EISDIR:
      return "это папка, а не файл";
    case ENOTDIR:
      return "неверный путь к файлу";
    case ENOSPC:
      return "на диске нет места";
    case EFBIG:
      return "файл слишком велик";
    case EIO:
      return "ошибка ввода-вывода";
    case ENOMEM:
      return "не хватает памяти";
    case EROFS:
      return "диск доступен только для чтения";
    default:
      return std::strerror(error);
  }
}

std::optional<VendorDb> VendorDb::Load(const std::string& path,
                                       std::string* error) {
  auto fail = [&](int error_number) -> std::optional<VendorDb> {
    if (error != nullptr) {
      *error = "Не удалось прочитать базу производителей «" + path +
               "»: " + DescribeSystemError(error_number);
    }
    return std::nullopt;
  };
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return fail(errno != 0 ? errno : EIO);

  VendorDb db;
  // The size is only a hint: a folder or a device reports nonsense.
  constexpr long kLargestHint = 256L << 20;
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0 && size <= kLargestHint) {
      db.data_.reserve(static_cast<std::size_t>(size));
    }
    std::rewind(file.get());
  }
  constexpr std::size_t kChunk = 1 << 16;
  std::size_t used = 0;
  for (;;) {
    db.data_.resize(used + kChunk);
    const std::size_t got =
        std::fread(db.data_.data() + used, 1, kChunk, file.get());
    used += got;
    if (got < kChunk) break;
  }
  db.data_.resize(used);
  if (std::ferror(file.get())) return fail(errno != 0 ? errno : EIO);
  db.Index();
  return db;
}

VendorDb VendorDb::Parse(std::string_view listing) {
  VendorDb db;
  db.data_.assign(listing.begin(), listing.end());
  db.Index();
  return db;
}

void VendorDb::Index() {
  struct Entry {
    std::uint32_t key;
    std::string_view name;
  };
  std::vector<Entry> entries;
  const std::string_view text(data_.data(), data_.size());
  std::size_t start = 0;
  while (start < text.size()) {
    // CR LF, a lone CR and a lone LF all end a line.
    std::size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    const std::string_view line = text.substr(start, end - start);
    start = end;
    if (start < text.size()) {
      start += (text[start] == '\r' && start + 1 < text.size() &&
                text[start + 1] == '\n')
                   ? 2
                   : 1;
    }

    if (line.size() < kMarkerColumn + kHexMarker.size() ||
        line.substr(kMarkerColumn, kHexMarker.size()) != kHexMarker) {
      continue;
    }
    ++record_count_;
    const std::optional<std::uint32_t> key = PackKey(line.substr(0, 8));
    if (!key) continue;
    std::string_view name =
        line.size() > kNameColumn ? line.substr(kNameColumn) : "";
    if (!IsValidUtf8(name)) {
      std::string& decoded = decoded_names_.emplace_back();
      AppendWindows1252AsUtf8(name, &decoded);
      name = decoded;
    }
    entries.push_back({*key, name});
  }
  // Stable, so that one prefix's names keep the order of the file.
  std::stable_sort(
      entries.begin(), entries.end(),
      [](const Entry& a, const Entry& b) { return a.key < b.key; });
  keys_.reserve(entries.size());
  names_.reserve(entries.size());
  for (const Entry& entry : entries) {
    keys_.push_back(entry.key);
    names_.push_back(entry.name);
  }
}

std::span<const std::string_view> VendorDb::Find(
    std::string_view oui_key) const {
  const std::optional<std::uint32_t> key = PackKey(oui_key);
  if (!key) return {};
  const auto [first, last] = std::equal_range(keys_.begin(), keys_.end(), *key);
  return std::span<const std::string_view>(names_).subspan(
      static_cast<std::size_t>(first - keys_.begin()),
      static_cast<std::size_t>(last - first));
}

}  // namespace venmark

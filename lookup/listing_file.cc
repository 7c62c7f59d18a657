#include "lookup/listing_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "lookup/text_codec.h"

namespace venmark {
namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string TooLarge() {
  return "файл больше " + std::to_string(kMaxListingBytes >> 20) +
         " МиБ — это не список OUI";
}

}  // namespace

bool ReadListingFile(const std::string& path, std::vector<char>* data,
                     std::string* reason) {
  // A file known to be too large is refused before a byte is read.
  std::error_code size_error;
  if (std::filesystem::is_regular_file(path, size_error) &&
      std::filesystem::file_size(path, size_error) > kMaxListingBytes &&
      !size_error) {
    *reason = TooLarge();
    return false;
  }
  errno = 0;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    *reason = DescribeSystemError(errno != 0 ? errno : EIO);
    return false;
  }
  data->clear();
  // The size is only a hint: a folder or a device reports nonsense.
  if (std::fseek(file.get(), 0, SEEK_END) == 0) {
    const long size = std::ftell(file.get());
    if (size > 0 && static_cast<unsigned long>(size) <= kMaxListingBytes) {
      data->reserve(static_cast<std::size_t>(size));
    }
    std::rewind(file.get());
  }
  constexpr std::size_t kChunk = 1 << 16;
  std::size_t used = 0;
  for (;;) {
    data->resize(used + kChunk);
    errno = 0;
    const std::size_t got =
        std::fread(data->data() + used, 1, kChunk, file.get());
    used += got;
    if (used > kMaxListingBytes) {
      data->clear();
      *reason = TooLarge();
      return false;
    }
    if (got < kChunk) break;
  }
  data->resize(used);
  if (std::ferror(file.get())) {
    *reason = DescribeSystemError(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

std::string_view NameAsUtf8(std::string_view name,
                            std::deque<std::string>* decoded) {
  if (IsValidUtf8(name)) return name;
  std::string& text = decoded->emplace_back();
  AppendWindows1252AsUtf8(name, &text);
  return text;
}

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

}  // namespace venmark

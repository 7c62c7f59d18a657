#include "listings/paths.h"

#include <system_error>

namespace venmark {

std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = PathFromUtf8(path).parent_path();
  return folder.empty() ? std::string(".") : Utf8FromPath(folder);
}

bool Present(const std::string& path) {
  std::error_code error;
  return std::filesystem::symlink_status(PathFromUtf8(path), error).type() !=
         std::filesystem::file_type::not_found;
}

}  // namespace venmark

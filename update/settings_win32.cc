// Settings in the registry: the user's key, then the machine's.
#include <windows.h>

#include <filesystem>

#include "listings/listing_file.h"
#include "update/settings.h"

namespace venmark {
namespace {

// The string value Origin under root\Software\Venmark, if there is one.
std::optional<std::string> ReadOrigin(HKEY root) {
  wchar_t buffer[2048];
  DWORD size = sizeof buffer;
  if (RegGetValueW(root, L"Software\\Venmark", L"Origin", RRF_RT_REG_SZ,
                   nullptr, buffer, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return Utf8FromPath(std::filesystem::path(buffer));
}

}  // namespace

std::vector<SettingText> OriginSettings() {
  std::vector<SettingText> settings;
  if (std::optional<std::string> user = ReadOrigin(HKEY_CURRENT_USER)) {
    settings.push_back({std::move(*user),
                        "HKEY_CURRENT_USER\\Software\\Venmark\\Origin"});
  }
  if (std::optional<std::string> machine = ReadOrigin(HKEY_LOCAL_MACHINE)) {
    settings.push_back({std::move(*machine),
                        "HKEY_LOCAL_MACHINE\\Software\\Venmark\\Origin"});
  }
  return settings;
}

}  // namespace venmark

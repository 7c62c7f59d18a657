// Settings in the registry: the user's key, then the machine's.
#include <windows.h>

#include <cerrno>
#include <filesystem>

#include "listings/paths.h"
#include "update/settings.h"

namespace venmark {
namespace {

// The string value Origin under root\Software\Venmark into *read, as a
// setting or as one passed over and why; nothing when there is none.
void ReadOrigin(HKEY root, std::string where, SettingsRead* read) {
  wchar_t buffer[kRegistryOriginLimit + 1];
  DWORD size = sizeof buffer;
  // RRF_RT_REG_SZ takes REG_EXPAND_SZ too, its %VARIABLES% expanded, as an
  // installer or an administrator may write it.
  const LSTATUS status = RegGetValueW(root, L"Software\\Venmark", L"Origin",
                                      RRF_RT_REG_SZ, nullptr, buffer, &size);
  switch (status) {
    case ERROR_SUCCESS:
      read->settings.push_back(
          {Utf8FromPath(std::filesystem::path(buffer)), std::move(where)});
      return;
    case ERROR_FILE_NOT_FOUND:
      return;
    case ERROR_UNSUPPORTED_TYPE:
      read->skipped.push_back(
          {std::move(where), SkippedSetting::Why::kNotAString, 0});
      return;
    case ERROR_MORE_DATA:
      read->skipped.push_back(
          {std::move(where), SkippedSetting::Why::kTooLong, 0});
      return;
    default:
      // Told as the C library's error numbers are, as files are.
      read->skipped.push_back({std::move(where),
                               SkippedSetting::Why::kUnreadable,
                               status == ERROR_ACCESS_DENIED ? EACCES : EIO});
  }
}

}  // namespace

SettingsRead OriginSettings() {
  SettingsRead read;
  ReadOrigin(HKEY_CURRENT_USER, "HKEY_CURRENT_USER\\Software\\Venmark\\Origin",
             &read);
  ReadOrigin(HKEY_LOCAL_MACHINE,
             "HKEY_LOCAL_MACHINE\\Software\\Venmark\\Origin", &read);
  return read;
}

}  // namespace venmark

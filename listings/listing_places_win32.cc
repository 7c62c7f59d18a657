#include <windows.h>

#include <cstdlib>

#include "listings/listing_places.h"
#include "listings/listing_places_system.h"

namespace venmark {

namespace fs = std::filesystem;

// Windows keeps the settings in the registry.
std::vector<std::string> SettingsFiles() { return {}; }

namespace places_internal {

// %LOCALAPPDATA%\Venmark, read as UTF-16 so that a Cyrillic user name
// survives.
fs::path UserDataFolder() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || local[0] == L'\0') return {};
  return fs::path(local) / L"Venmark";
}

bool UserNamedDataHome() { return false; }

// The data folder: Windows keeps no cache of its own apart from it.
fs::path UserCacheFolder() { return UserDataFolder(); }

// Beside the program itself, where the zip puts the listings.
std::vector<std::string> SystemListings() {
  std::wstring program(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, program.data(),
                                          static_cast<DWORD>(program.size()));
  if (length == 0 || length >= program.size()) return {};
  program.resize(length);
  return {Absolute(fs::path(program).parent_path() / L"base.dat")};
}

std::vector<std::string> SystemNamesFiles() { return {}; }

}  // namespace places_internal
}  // namespace venmark

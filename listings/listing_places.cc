#include "listings/listing_places.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "listings/listing_file.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>
#endif

namespace venmark {
namespace {

namespace fs = std::filesystem;

std::string Absolute(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  return Utf8FromPath((error ? path : absolute).lexically_normal());
}

#ifdef _WIN32
// %LOCALAPPDATA%\Venmark, read as UTF-16 so that a Cyrillic user name
// survives.
fs::path UserDataFolder() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || local[0] == L'\0') return {};
  return fs::path(local) / L"Venmark";
}

// Beside the program itself, where the zip puts the listings.
std::vector<std::string> SystemListings() {
  std::wstring program(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, program.data(),
                                          static_cast<DWORD>(program.size()));
  if (length == 0 || length >= program.size()) return {};
  program.resize(length);
  return {Absolute(fs::path(program).parent_path() / L"base.dat")};
}
#else
// The user's home: $HOME, else the one the system's user database gives
// (a service or a cron job may run without HOME); empty when neither does.
fs::path Home() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return home;
  char buffer[4096];
  struct passwd entry {
  }, *found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr && found->pw_dir[0] == '/') {
    return found->pw_dir;
  }
  return {};
}

// $name, as the XDG rules take it: an absolute path only.
const char* XdgFolder(const char* name) {
  const char* folder = std::getenv(name);
  return folder != nullptr && fs::path(folder).is_absolute() ? folder : nullptr;
}

// $XDG_DATA_HOME, as the XDG rules take it: an absolute path only.
const char* DataHome() { return XdgFolder("XDG_DATA_HOME"); }

// $XDG_DATA_HOME/venmark, or ~/.local/share/venmark; empty when there is
// no home to put it in.
fs::path UserDataFolder() {
  if (const char* data_home = DataHome()) {
    return fs::path(data_home) / "venmark";
  }
  const fs::path home = Home();
  if (!home.empty()) return home / ".local" / "share" / "venmark";
  return {};
}

// name's file in each folder of the list in $variable (fallback when it
// is unset or empty); the XDG rules ignore relative folders there.
std::vector<std::string> InEachFolder(const char* variable,
                                      const char* fallback,
                                      const fs::path& name) {
  const char* dirs = std::getenv(variable);
  const std::string list = dirs != nullptr && dirs[0] != '\0' ? dirs : fallback;
  std::vector<std::string> files;
  for (std::size_t start = 0; start <= list.size();) {
    std::size_t end = list.find(':', start);
    if (end == std::string::npos) end = list.size();
    const fs::path dir = list.substr(start, end - start);
    if (dir.is_absolute()) files.push_back(Utf8FromPath(dir / name));
    start = end + 1;
  }
  return files;
}

// Debian's copy of the IEEE's files (ieee-data/oui.txt) in the system's
// data folders: $XDG_DATA_DIRS, by default /usr/local/share:/usr/share.
std::vector<std::string> SystemListings() {
  return InEachFolder("XDG_DATA_DIRS", "/usr/local/share:/usr/share",
                      fs::path("ieee-data") / "oui.txt");
}
#endif

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(PathFromUtf8(path), error);
}

}  // namespace

std::vector<std::string> ListingPlaces() {
  std::vector<std::string> places = {Absolute("base.dat")};
  const fs::path user = UserDataFolder();
  if (!user.empty()) places.push_back(Absolute(user / "base.dat"));
  for (const std::string& system : SystemListings()) places.push_back(system);
  return places;
}

std::vector<std::string> NamesFiles(const std::string& listing) {
  std::vector<std::string> files;
  const fs::path user = UserDataFolder();
  if (!user.empty()) files.push_back(Absolute(user / "names.txt"));
  if (!listing.empty()) {
    const std::string beside =
        Absolute(PathFromUtf8(listing).parent_path() / "names.txt");
    if (files.empty() || files[0] != beside) files.push_back(beside);
  }
#ifndef _WIN32
  files.push_back("/etc/ethers");
#endif
  return files;
}

std::vector<std::string> SettingsFiles() {
#ifdef _WIN32
  return {};
#else
  const fs::path name = fs::path("venmark") / "venmark.conf";
  std::vector<std::string> files;
  if (const char* config_home = XdgFolder("XDG_CONFIG_HOME")) {
    files.push_back(Utf8FromPath(config_home / name));
  } else if (const fs::path home = Home(); !home.empty()) {
    files.push_back(Utf8FromPath(home / ".config" / name));
  }
  for (std::string& file : InEachFolder("XDG_CONFIG_DIRS", "/etc/xdg", name)) {
    files.push_back(std::move(file));
  }
  return files;
#endif
}

std::string FindListing(const std::vector<std::string>& places) {
  for (const std::string& place : places) {
    if (Exists(place)) return place;
  }
  return {};
}

std::string UpdateTarget() {
  const std::string here = Absolute("base.dat");
  if (Exists(here)) return here;
  const fs::path user = UserDataFolder();
  return user.empty() ? std::string() : Absolute(user / "base.dat");
}

int MakeUserDataFolder(const std::string& listing) {
  const fs::path folder = PathFromUtf8(listing).parent_path();
  std::error_code error;
#ifndef _WIN32
  // A data home the user named is theirs to make: a typo in it must not
  // leave a tree of folders behind. The default one the XDG rules make.
  if (DataHome() != nullptr) {
    fs::create_directory(folder, error);
    return error ? error.value() : 0;
  }
#endif
  fs::create_directories(folder, error);
  return error ? error.value() : 0;
}

}  // namespace venmark

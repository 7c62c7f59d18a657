#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "listings/listing_places.h"
#include "listings/listing_places_system.h"
#include "listings/paths.h"

namespace venmark {

namespace fs = std::filesystem;

namespace {

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

}  // namespace

std::vector<std::string> SettingsFiles() {
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
}

namespace places_internal {

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

bool UserNamedDataHome() { return DataHome() != nullptr; }

fs::path UserCacheFolder() {
  if (const char* cache_home = XdgFolder("XDG_CACHE_HOME")) {
    return fs::path(cache_home) / "venmark";
  }
  const fs::path home = Home();
  if (!home.empty()) return home / ".cache" / "venmark";
  return {};
}

// Debian's copy of the IEEE's files (ieee-data/oui.txt) in the system's
// data folders: $XDG_DATA_DIRS, by default /usr/local/share:/usr/share.
std::vector<std::string> SystemListings() {
  return InEachFolder("XDG_DATA_DIRS", "/usr/local/share:/usr/share",
                      fs::path("ieee-data") / "oui.txt");
}

std::vector<std::string> SystemNamesFiles() { return {"/etc/ethers"}; }

}  // namespace places_internal
}  // namespace venmark

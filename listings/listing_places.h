#pragma once

#include <string>
#include <vector>

namespace venmark {

// Where the programs look for the MA-L listing when none is named, in
// order: base.dat in the current folder, base.dat in the user's data
// folder ($XDG_DATA_HOME/venmark, by default ~/.local/share/venmark; on
// Windows %LOCALAPPDATA%\Venmark), and the system's copies (Debian's
// ieee-data/oui.txt in each of $XDG_DATA_DIRS, by default /usr/local/share
// and /usr/share; on Windows base.dat beside the program).
// Each path is absolute UTF-8; companions are looked for beside it.
std::vector<std::string> ListingPlaces();

// The first of places whose file exists, or an empty string.
std::string FindListing(const std::vector<std::string>& places);

// Where an update puts the MA-L listing: over ./base.dat when there is one,
// else into the user's data folder, never into the system's copy; empty
// when there is no such folder either (no XDG_DATA_HOME, no HOME, no
// account), never the current folder unasked.
std::string UpdateTarget();

// The files of the administrator's own names for listing (the MA-L
// listing in use), in the order they count: names.txt in the user's data
// folder, names.txt beside listing, and on Linux /etc/ethers.
std::vector<std::string> NamesFiles(const std::string& listing);

// The files that may hold the program's settings, the user's first: on
// Linux venmark/venmark.conf in $XDG_CONFIG_HOME (~/.config), then in each
// of $XDG_CONFIG_DIRS (/etc/xdg). Empty on Windows, which keeps settings in
// the registry.
std::vector<std::string> SettingsFiles();

// Makes the folder of listing, which is in the user's data folder: only
// that folder under a $XDG_DATA_HOME the user set, with its parents under
// the default one. 0 or the errno value.
int MakeUserDataFolder(const std::string& listing);

}  // namespace venmark

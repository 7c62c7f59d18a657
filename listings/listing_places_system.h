#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The system's own part of where things are, one file per system
// (listing_places_posix.cc, listing_places_win32.cc).
namespace venmark::places_internal {

// path made absolute and normal, as UTF-8.
std::string Absolute(const std::filesystem::path& path);

// The user's data folder: $XDG_DATA_HOME/venmark or
// ~/.local/share/venmark, %LOCALAPPDATA%\Venmark on Windows; empty when
// there is no home to put it in.
std::filesystem::path UserDataFolder();

// The user's cache folder: $XDG_CACHE_HOME/venmark or ~/.cache/venmark,
// %LOCALAPPDATA%\Venmark on Windows; empty when there is no home.
std::filesystem::path UserCacheFolder();

// Whether the user named the data folder's parent ($XDG_DATA_HOME): then
// only our own folder in it is ours to make.
bool UserNamedDataHome();

// The system's copies of the MA-L listing, in the order they count.
std::vector<std::string> SystemListings();

// The system's own names files, after the user's: /etc/ethers on Linux.
std::vector<std::string> SystemNamesFiles();

}  // namespace venmark::places_internal

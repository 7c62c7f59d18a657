#include "listings/listing_places.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "listings/listing_places_system.h"
#include "listings/paths.h"

namespace venmark {

namespace fs = std::filesystem;

namespace places_internal {

std::string Absolute(const fs::path& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(path, error);
  return Utf8FromPath((error ? path : absolute).lexically_normal());
}

}  // namespace places_internal

namespace {

using places_internal::Absolute;
using places_internal::SystemListings;
using places_internal::UserDataFolder;

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
  for (std::string& file : places_internal::SystemNamesFiles()) {
    files.push_back(std::move(file));
  }
  return files;
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
  // A data home the user named is theirs to make: a typo in it must not
  // leave a tree of folders behind. The default one the XDG rules make.
  if (places_internal::UserNamedDataHome()) {
    fs::create_directory(folder, error);
    return error ? error.value() : 0;
  }
  fs::create_directories(folder, error);
  return error ? error.value() : 0;
}

}  // namespace venmark

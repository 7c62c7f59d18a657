#include "app/listing_age.h"

#include <ctime>
#include <filesystem>
#include <optional>
#include <system_error>

#include "app/search_flow.h"
#include "listings/paths.h"

namespace venmark {
namespace {

std::optional<std::filesystem::file_time_type> Written(
    const std::string& path) {
  std::error_code error;
  const auto written =
      std::filesystem::last_write_time(PathFromUtf8(path), error);
  if (error) return std::nullopt;
  return written;
}

}  // namespace

std::string FileDay(const std::string& path, const char* format) {
  const auto written = Written(path);
  if (!written) return "?";
  const std::time_t time = std::chrono::system_clock::to_time_t(
      std::chrono::file_clock::to_sys(*written));
  const std::tm* local = std::localtime(&time);
  char text[32];
  if (local == nullptr ||
      std::strftime(text, sizeof text, format, local) == 0) {
    return "?";
  }
  return text;
}

ListingAge AgeOfListing(const std::string& named,
                        std::chrono::system_clock::time_point now) {
  ListingAge age;
  const std::string path = ChooseListing(named);
  const auto written = path.empty() ? std::nullopt : Written(path);
  if (!written) return age;
  age.path = path;
  age.day = FileDay(path, "%d.%m.%Y");
  // The IEEE assigns thousands of blocks a year: a listing a year old
  // misses many of the devices bought since.
  age.old = now - std::chrono::file_clock::to_sys(*written) >
            std::chrono::hours(24 * 365);
  return age;
}

}  // namespace venmark

#pragma once

#include <chrono>
#include <string>

namespace venmark {

// The day a file was last changed, in local time, as strftime writes it
// with format ("%Y-%m-%d"); "?" when it cannot be told.
std::string FileDay(const std::string& path, const char* format);

// The MA-L listing searches use now, and how old it is.
struct ListingAge {
  std::string path;  // empty: no listing anywhere
  std::string day;   // "27.08.2022"
  bool old = false;  // changed more than a year before now
};

// The age of the listing the user named, or else of the one found where
// listings are looked for.
ListingAge AgeOfListing(const std::string& named,
                        std::chrono::system_clock::time_point now);

}  // namespace venmark

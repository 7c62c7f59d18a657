#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/result_format.h"

// Files and listings for tests, on any system.
namespace venmark {

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of name inside the folder.
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / name;
  }

 private:
  std::filesystem::path path_;
};

// The bytes of the file at path; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Writes text to the file at path, replacing it.
void WriteWholeFile(const std::filesystem::path& path, const std::string& text);

// A listing of `records` record lines ("00-00-00 … Vendor 0"), laid out as
// the IEEE publishes it.
std::string MakeListing(int records, const std::string& vendor = "Vendor");

// A block listing (MA-M, MA-S, IAB) of `records` 36-bit blocks in 70-B3-D5,
// laid out as the IEEE publishes it.
std::string MakeBlockListing(int records, const std::string& vendor = "Vendor");

// A listing of kind in its shape: MakeListing for MA-L, a CID listing of
// prefixes 0A-00-00 on (local addresses), MakeBlockListing for MA-S, MA-M
// blocks of 20 bits from 70-B3-D5 on, IAB blocks of 12 under 00-50-C2.
std::string MakeKindListing(ListingKind kind, int records,
                            const std::string& vendor = "Vendor");

// The path of each kind's listing on a server in the IEEE's layout
// ("/oui/oui.txt"), in the table's order.
std::vector<std::string> ListingPaths();

// The kind whose listing a server in the IEEE's layout keeps at path, one
// of ListingPaths().
ListingKind KindAt(std::string_view path);

// Result lines in the tests' own words ("- no vendor", "(broadcast)"), so
// that what a test expects shows where the words come in.
ResultStyle TestStyle(const ResultFormat& format = ResultFormat::kText,
                      std::string_view eol = "\n");

}  // namespace venmark

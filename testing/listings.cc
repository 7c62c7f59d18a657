#include "testing/listings.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace venmark {

TestFolder::TestFolder() {
  // A name no one else has taken: create_directory fails on one that is.
  std::random_device random;
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("venmark-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(path)) {
      path_ = path;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TestFolder::~TestFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

void WriteWholeFile(const std::filesystem::path& path,
                    const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string MakeListing(int records, const std::string& vendor) {
  std::string text =
      "OUI/MA-L                                                    "
      "Organization\r\ncompany_id                                         "
      "         Organization\r\n\r\n";
  char line[64];
  for (int i = 0; i < records; ++i) {
    const std::string name = vendor + " " + std::to_string(i) + "\r\n";
    std::snprintf(line, sizeof line, "00-%02X-%02X   (hex)\t\t", i >> 8 & 0xFF,
                  i & 0xFF);
    text += line + name;
    std::snprintf(line, sizeof line, "00%02X%02X     (base 16)\t\t",
                  i >> 8 & 0xFF, i & 0xFF);
    text += line + name + "\r\n";
  }
  return text;
}

std::string MakeBlockListing(int records, const std::string& vendor) {
  std::string text =
      "OUI                                                         "
      "Organization\r\nOUI-36/MA-S Range\r\n\r\n";
  char line[64];
  for (int i = 0; i < records; ++i) {
    const std::string name = vendor + " " + std::to_string(i) + "\r\n";
    text += "70-B3-D5   (hex)\t\t" + name;
    std::snprintf(line, sizeof line, "%03X000-%03XFFF     (base 16)\t\t",
                  i & 0xFFF, i & 0xFFF);
    text += line + name + "\t\t\t\tSomewhere\r\n\r\n";
  }
  return text;
}

std::string MakeKindListing(ListingKind kind, int records,
                            const std::string& vendor) {
  if (kind == ListingKind::kMaS) return MakeBlockListing(records, vendor);
  if (RowOf(kind).shape == RecordShape::kBlocks) {
    // As the IEEE's own: MA-M blocks of 20 bits under 70-B3-D5, IAB blocks
    // of 12 bits under 00-50-C2.
    const bool mam = kind == ListingKind::kMaM;
    std::string text =
        "OUI                                                         "
        "Organization\r\n" +
        std::string(mam ? "OUI-28/MA-M Range" : "OUI-36/IAB Range") +
        "\r\n\r\n";
    char line[64];
    for (int i = 0; i < records; ++i) {
      const std::string name = vendor + " " + std::to_string(i) + "\r\n";
      if (mam) {
        // Sixteen blocks a prefix, the prefixes from 70-B3-D5 on.
        std::snprintf(line, sizeof line, "70-B3-%02X   (hex)\t\t",
                      (0xD5 + (i >> 4)) & 0xFF);
        text += line + name;
        std::snprintf(line, sizeof line, "%X00000-%XFFFFF     (base 16)\t\t",
                      i & 0xF, i & 0xF);
      } else {
        text += "00-50-C2   (hex)\t\t" + name;
        std::snprintf(line, sizeof line, "%03X000-%03XFFF     (base 16)\t\t",
                      i & 0xFFF, i & 0xFFF);
      }
      text += line + name + "\t\t\t\tSomewhere\r\n\r\n";
    }
    return text;
  }
  std::string text = MakeListing(records, vendor);
  if (kind == ListingKind::kCid) {
    // The CIDs' first byte, 0A: the local bit set, the group bit clear.
    for (std::size_t at = text.find("\n00"); at != std::string::npos;
         at = text.find("\n00", at + 1)) {
      text[at + 2] = 'A';
    }
  }
  return text;
}

ListingKind KindAt(std::string_view path) {
  for (const ListingKindRow& row : kListingKinds) {
    if (path.substr(path.starts_with('/') ? 1 : 0) == row.ieee_path) {
      return row.kind;
    }
  }
  return ListingKind::kMaL;
}

std::vector<std::string> ListingPaths() {
  std::vector<std::string> paths;
  for (const ListingKindRow& row : kListingKinds) {
    std::string& path = paths.emplace_back("/");
    path += row.ieee_path;
  }
  return paths;
}

ResultStyle TestStyle(const ResultFormat& format, std::string_view eol) {
  static constexpr ResultWords kWords{.vendor_not_found = " - no vendor",
                                      .null = "null",
                                      .broadcast = "broadcast",
                                      .ipv4_multicast = "IPv4 multicast",
                                      .ipv6_multicast = "IPv6 multicast",
                                      .multicast = "multicast",
                                      .local = "local",
                                      .derived_mac = "MAC",
                                      .from_ipv6 = "from IPv6",
                                      .from_duid = "from DUID",
                                      .from_client_id = "from client-id",
                                      .user_range = "your range",
                                      .local_cid = "local, company's CID"};
  return {&format, eol, &kWords};
}

}  // namespace venmark

#include "update/origin.h"

#include <array>
#include <filesystem>

#include "listings/paths.h"
#include "scan/mac.h"
#include "scan/mac_shapes.h"

namespace venmark {
namespace {

// Whether text starts with prefix (lower case), in any case.
bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return shapes::HasAt(text, 0, prefix);
}

// %XX escapes of a URL's path as the bytes they stand for.
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto hex = [](char c) { return mac::HexValue(c); };
    if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
        hex(text[i + 2]) >= 0) {
      out.push_back(
          static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2])));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// The folder a file:// URL names: file:///srv/ieee, file://localhost/srv,
// on Windows file:///C:/ieee and file://server/share (a UNC path).
std::string FolderOfFileUrl(std::string_view rest) {
  std::string_view host = rest.substr(0, rest.find('/'));
  std::string_view path = rest.substr(host.size());
  if (StartsNoCase(host, "localhost") && host.size() == 9) host = {};
#ifdef _WIN32
  // "/C:/ieee": the drive letter's slash goes.
  if (path.size() >= 3 && path[0] == '/' && path[2] == ':') {
    path.remove_prefix(1);
  }
  if (!host.empty()) {
    std::string unc = "\\\\" + std::string(host) + Unescape(path);
    for (char& c : unc) c = c == '/' ? '\\' : c;
    return unc;
  }
#else
  if (!host.empty()) return "//" + std::string(host) + Unescape(path);
#endif
  return Unescape(path);
}

}  // namespace

bool IsWebAddress(std::string_view text) {
  return StartsNoCase(text, "https://") || StartsNoCase(text, "http://");
}

std::optional<Origin> ParseOrigin(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' ||
                           text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  if (text.empty()) return std::nullopt;
  if (IsWebAddress(text)) {
    // "https://mirror/" names the same place as "https://mirror".
    while (text.ends_with('/')) text.remove_suffix(1);
    return Origin{Origin::Kind::kWeb, std::string(text)};
  }
  std::string folder = StartsNoCase(text, "file://")
                           ? FolderOfFileUrl(text.substr(7))
                           : std::string(text);
  if (folder.find('\0') != std::string::npos) return std::nullopt;
  // A trailing separator names the same folder, the root's excepted.
  while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
    folder.pop_back();
  }
  return Origin{Origin::Kind::kFolder, folder};
}

bool IsIeee(const Origin& origin) {
  return origin.kind == Origin::Kind::kWeb &&
         StartsNoCase(origin.location, kIeeeOrigin) &&
         origin.location.size() == std::string_view(kIeeeOrigin).size();
}

UpdateSources SourcesAt(const Origin& origin) {
  if (origin.kind == Origin::Kind::kWeb) return IeeeSources(origin.location);
  namespace fs = std::filesystem;
  const fs::path folder = PathFromUtf8(origin.location);
  // Each listing in the IEEE's layout, or laid flat under the same name.
  UpdateSources sources;
  for (const ListingKindRow& row : kListingKinds) {
    // The table writes the IEEE's paths with "/": each system's own
    // separator in what is shown and opened.
    const fs::path ieee =
        (folder / PathFromUtf8(row.ieee_path)).make_preferred();
    const fs::path flat = folder / ieee.filename();
    std::error_code error;
    sources[row.kind] = Utf8FromPath(
        !fs::exists(ieee, error) && fs::exists(flat, error) ? flat : ieee);
  }
  sources.local = true;
  return sources;
}

}  // namespace venmark

#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "update/listing_update.h"

// Where an update fetches the listings from: the IEEE, a mirror over HTTP,
// or a folder (a USB stick, a share) in a network closed to the internet.
namespace venmark {

struct Origin {
  enum class Kind { kWeb, kFolder };
  Kind kind = Kind::kWeb;
  // The URL without a trailing "/", or the folder's path (UTF-8).
  std::string location = kIeeeOrigin;

  bool operator==(const Origin&) const = default;
};

// Whether text is an http:// or https:// URL, its scheme in any case.
bool IsWebAddress(std::string_view text);

// The origin text names: an http:// or https:// URL, a file:// URL, or a
// folder (absolute, relative, or a UNC path). Nothing for blank text, and
// for a file:// URL with %00 in it, which no folder's name holds: cut
// there, it would name another folder.
std::optional<Origin> ParseOrigin(std::string_view text);

// Whether origin is the IEEE's own server.
bool IsIeee(const Origin& origin);

// The addresses of the listings at origin. A folder may hold the IEEE's
// layout (oui/oui.txt, oui28/mam.txt, oui36/oui36.txt, iab/iab.txt,
// cid/cid.txt) or the same files flat; each listing is taken where it is, and
// one that is in neither place is asked for in the IEEE's layout, where its
// absence is told.
UpdateSources SourcesAt(const Origin& origin);

}  // namespace venmark

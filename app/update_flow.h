#pragma once

#include <optional>
#include <string>

#include "update/listing_update.h"
#include "update/settings.h"
#include "update/transport.h"

namespace venmark {

struct UpdateRequest {
  // The MA-L listing to replace, as the user named it; empty: ./base.dat
  // when there is one, else the user's data folder.
  std::string named;
  // The addresses to fetch from, as a test names them; nothing: those of
  // the origin.
  std::optional<UpdateSources> sources;
  // How; null: the system's transport, or files for a folder.
  Transport* transport = nullptr;
  // Where to fetch from (venmark-scan --from); nothing: the setting
  // (FindOriginSetting), else the IEEE.
  std::optional<Origin> origin = std::nullopt;
};

// The MA-L listing an update of request replaces (absolute).
std::string UpdateDestination(const UpdateRequest& request);

// Where an update of request fetches from, and where that was set (empty
// for the IEEE or an origin named in the request).
OriginSetting UpdateOrigin(const UpdateRequest& request);

// Runs the update of request, creating the user's data folder when that is
// where it goes (no other folder), and reporting progress.
UpdateResult RunUpdate(const UpdateRequest& request,
                       const UpdateProgress& progress);

}  // namespace venmark

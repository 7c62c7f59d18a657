#pragma once

#include <optional>
#include <string>

#include "update/listing_update.h"
#include "update/transport.h"

namespace venmark {

struct UpdateRequest {
  // The MA-L listing to replace, as the user named it; empty: ./base.dat
  // when there is one, else the user's data folder.
  std::string named;
  // Where to fetch from; nothing: $VENMARK_IEEE_ORIGIN (a mirror, or a
  // test's server), else the IEEE.
  std::optional<UpdateSources> sources;
  // How; null: the system's transport.
  Transport* transport = nullptr;
};

// The MA-L listing an update of request replaces (absolute).
std::string UpdateDestination(const UpdateRequest& request);

// Runs the update of request, creating the user's data folder when that is
// where it goes (no other folder), and reporting progress.
UpdateResult RunUpdate(const UpdateRequest& request,
                       const UpdateProgress& progress);

}  // namespace venmark

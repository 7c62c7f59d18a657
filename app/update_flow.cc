#include "app/update_flow.h"

#include <filesystem>
#include <memory>

#include "app/search_flow.h"
#include "app/texts.h"
#include "listings/listing_places.h"
#include "update/file_transport.h"

namespace venmark {
namespace {

UpdateSources ChooseSources(const UpdateRequest& request) {
  if (request.sources) return *request.sources;
  return SourcesAt(UpdateOrigin(request).origin);
}

}  // namespace

OriginSetting UpdateOrigin(const UpdateRequest& request) {
  if (request.origin) return {*request.origin, {}, {}};
  return FindOriginSetting();
}

std::string UpdateDestination(const UpdateRequest& request) {
  return request.named.empty() ? UpdateTarget() : ChooseListing(request.named);
}

UpdateResult RunUpdate(const UpdateRequest& request,
                       const UpdateProgress& progress) {
  UpdateOptions options;
  options.listing = UpdateDestination(request);
  if (options.listing.empty()) {
    UpdateResult nowhere;
    nowhere.problem.kind = UpdateFailure::kNoDataFolder;
    return nowhere;
  }
  options.sources = ChooseSources(request);
  // Where the listing is new, it is held to the one searches use now.
  if (const std::string in_use = ChooseListing(request.named);
      in_use != options.listing) {
    options.reference = in_use;
  }
  if (request.named.empty()) {
    // The user's data folder may not be there yet; a folder the user named
    // is never made. One that cannot be made is told by the update, which
    // cannot write there.
    MakeUserDataFolder(options.listing);
  }
  std::unique_ptr<Transport> system;
  Transport* transport = request.transport;
  if (transport == nullptr) {
    system =
        options.sources.local ? MakeFileTransport() : MakeSystemTransport();
    transport = system.get();
  }
  return UpdateListings(options, *transport, progress);
}

}  // namespace venmark

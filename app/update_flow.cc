#include "app/update_flow.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/search_flow.h"
#include "app/texts.h"
#include "listings/listing_file.h"
#include "listings/listing_places.h"

namespace venmark {
namespace {

UpdateSources ChooseSources(const UpdateRequest& request) {
  if (request.sources) return *request.sources;
  if (const char* origin = std::getenv("VENMARK_IEEE_ORIGIN");
      origin != nullptr && origin[0] != '\0') {
    return IeeeSources(origin);
  }
  return IeeeSources();
}

}  // namespace

std::string UpdateDestination(const UpdateRequest& request) {
  return request.named.empty() ? UpdateTarget() : ChooseListing(request.named);
}

UpdateResult RunUpdate(const UpdateRequest& request,
                       const UpdateProgress& progress) {
  UpdateOptions options;
  options.listing = UpdateDestination(request);
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
    system = MakeSystemTransport();
    transport = system.get();
  }
  return UpdateListings(options, *transport, progress);
}

}  // namespace venmark

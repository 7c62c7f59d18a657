// Settings files under the XDG rules.
#include <fstream>
#include <sstream>

#include "listings/listing_places.h"
#include "update/settings.h"

namespace venmark {

std::vector<SettingText> OriginSettings() {
  std::vector<SettingText> settings;
  for (const std::string& path : SettingsFiles()) {
    std::ifstream file(path, std::ios::binary);
    if (!file) continue;
    // A settings file is a few lines; more than this is no settings file.
    std::string text(std::size_t{1} << 16, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    if (std::optional<std::string> origin = OriginInSettings(text)) {
      settings.push_back({std::move(*origin), path});
    }
  }
  return settings;
}

}  // namespace venmark

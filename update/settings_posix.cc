// Settings files under the XDG rules.
#include "listings/file_read.h"
#include "listings/listing_places.h"
#include "update/settings.h"

namespace venmark {

std::vector<SettingText> OriginSettings() {
  std::vector<SettingText> settings;
  for (const std::string& path : SettingsFiles()) {
    // Only a regular file: a FIFO put in its place would hold the program
    // up for a writer that never comes. A settings file is a few lines;
    // more than this is no settings file.
    FileBytes bytes;
    ReadFailure why;
    if (!ReadRegularFile(path, std::size_t{1} << 16, &bytes, &why)) continue;
    const std::string text(bytes.view());
    if (std::optional<std::string> origin = OriginInSettings(text)) {
      settings.push_back({std::move(*origin), path});
    }
  }
  return settings;
}

}  // namespace venmark

// Settings files under the XDG rules.
#include <cerrno>

#include "listings/file_read.h"
#include "listings/listing_places.h"
#include "update/settings.h"

namespace venmark {
namespace {

SkippedSetting::Why WhySkipped(const ReadFailure& failure) {
  switch (failure.kind) {
    case ReadFailure::Kind::kNotAFile:
      return SkippedSetting::Why::kNotAFile;
    case ReadFailure::Kind::kTooLarge:
      return SkippedSetting::Why::kTooLarge;
    case ReadFailure::Kind::kChanging:
      return SkippedSetting::Why::kChanging;
    case ReadFailure::Kind::kSystem:
    case ReadFailure::Kind::kNoRecord:
      break;
  }
  return SkippedSetting::Why::kUnreadable;
}

}  // namespace

SettingsRead OriginSettings() {
  SettingsRead read;
  for (const std::string& path : SettingsFiles()) {
    // Only a regular file: a FIFO put in its place would hold the program
    // up for a writer that never comes.
    const Result<FileBytes, ReadFailure> bytes =
        ReadRegularFile(path, kSettingsFileLimit);
    if (bytes) {
      if (std::optional<std::string> origin = OriginInSettings(bytes->view())) {
        read.settings.push_back({std::move(*origin), path});
      }
      continue;
    }
    const ReadFailure& why = bytes.problem();
    if (why.kind != ReadFailure::Kind::kSystem ||
        (why.error_number != ENOENT && why.error_number != ENOTDIR)) {
      // A file that is not there is no setting, and nothing to tell.
      read.skipped.push_back({path, WhySkipped(why), why.error_number});
    }
  }
  return read;
}

}  // namespace venmark

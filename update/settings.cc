#include "update/settings.h"

#include <cstdlib>

#include "listings/paths.h"
#include "listings/text_search.h"
#include "scan/mac_shapes.h"
#include "scan/text_codec.h"

#ifdef _WIN32
#include <filesystem>
#endif

namespace venmark {
namespace {

std::string_view Trim(std::string_view text) {
  const std::size_t begin = text.find_first_not_of(" \t\r\n\f\v");
  if (begin == std::string_view::npos) return {};
  const std::size_t end = text.find_last_not_of(" \t\r\n\f\v");
  return text.substr(begin, end - begin + 1);
}

// $VENMARK_IEEE_ORIGIN, read as UTF-16 on Windows so that a folder's
// Cyrillic name survives.
std::string OriginVariable() {
#ifdef _WIN32
  const wchar_t* value = _wgetenv(L"VENMARK_IEEE_ORIGIN");
  return value != nullptr ? Utf8FromPath(std::filesystem::path(value))
                          : std::string();
#else
  const char* value = std::getenv("VENMARK_IEEE_ORIGIN");
  return value != nullptr ? value : "";
#endif
}

}  // namespace

std::optional<std::string> OriginInSettings(std::string_view bytes) {
  const std::string text = TextFileAsUtf8(bytes);
  std::optional<std::string> origin;
  ForEachLine(text, [&](std::string_view line) {
    line = Trim(line);
    // A comment's first mark (# or ;) makes its key no "origin".
    if (origin) return;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return;
    const std::string_view key = Trim(line.substr(0, equals));
    if (key.size() != 6 || !shapes::HasAt(key, 0, "origin")) return;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = Trim(value.substr(1, value.size() - 2));
    }
    // A blank value sets nothing, and leaves a later line its say.
    if (!value.empty()) origin = std::string(value);
  });
  return origin;
}

OriginSetting FindOriginSetting() {
  if (std::optional<Origin> origin = ParseOrigin(OriginVariable())) {
    return {*origin, "VENMARK_IEEE_ORIGIN", {}};
  }
  SettingsRead read = OriginSettings();
  for (const SettingText& setting : read.settings) {
    if (std::optional<Origin> origin = ParseOrigin(setting.value)) {
      return {*origin, setting.where, std::move(read.skipped)};
    }
    // Blank text is no setting; anything else that names no origin is told.
    if (!Trim(setting.value).empty()) {
      read.skipped.push_back(
          {setting.where, SkippedSetting::Why::kNoOrigin, 0});
    }
  }
  return {Origin{}, {}, std::move(read.skipped)};
}

}  // namespace venmark

#include "update/settings.h"

#include <cstdlib>

#ifdef _WIN32
#include <filesystem>

#include "listings/listing_file.h"
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

std::optional<std::string> OriginInSettings(std::string_view text) {
  // A byte-order mark an editor may have put first.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = Trim(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view()
                                         : text.substr(end + 1);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (Trim(line.substr(0, equals)) == "origin") {
      return std::string(Trim(line.substr(equals + 1)));
    }
  }
  return std::nullopt;
}

std::optional<OriginSetting> FindOriginSetting() {
  if (std::optional<Origin> origin = ParseOrigin(OriginVariable())) {
    return OriginSetting{*origin, "VENMARK_IEEE_ORIGIN"};
  }
  for (const SettingText& setting : OriginSettings()) {
    if (std::optional<Origin> origin = ParseOrigin(setting.value)) {
      return OriginSetting{*origin, setting.where};
    }
  }
  return std::nullopt;
}

}  // namespace venmark

#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/origin.h"

// Where updates come from when the user names no origin, set once for a
// user or a whole machine, where the platform keeps such settings.
namespace venmark {

// A settings file is a few lines; one larger than this is something else,
// and is named rather than read.
inline constexpr std::size_t kSettingsFileLimit = std::size_t{64} << 10;

// The longest registry Origin taken, in UTF-16 units: no path or URL an
// administrator types comes near it.
inline constexpr std::size_t kRegistryOriginLimit = 2047;

// A place that may hold a setting, passed over, and why.
struct SkippedSetting {
  enum class Why {
    kNotAFile,    // a FIFO, a device or a folder where a file should be
    kTooLarge,    // a file over kSettingsFileLimit
    kUnreadable,  // the system refused: error_number says why
    kChanging,    // written to all the while it was read
    kNotAString,  // a registry value of another type than a string
    kTooLong,     // a registry string over kRegistryOriginLimit
    kNoOrigin,    // a value that names no origin (a file:// URL with %00)
  };
  std::string where;
  Why why = Why::kNotAFile;
  int error_number = 0;
  bool operator==(const SkippedSetting&) const = default;
};

// An origin, where it was set (empty for the IEEE or an origin named on
// the spot), and the settings passed over while looking for it.
struct OriginSetting {
  Origin origin;
  std::string where;  // the variable, the settings file or the registry key
  std::vector<SkippedSetting> skipped;
};

// A setting's text and where it stands.
struct SettingText {
  std::string value;
  std::string where;
};

// What the places of settings hold, in order, and those passed over.
struct SettingsRead {
  std::vector<SettingText> settings;
  std::vector<SkippedSetting> skipped;
};

// The origin settings of this system, the user's before the machine's: on
// Linux origin= in each of SettingsFiles(), regular files only; on Windows
// the value Origin under HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE,
// \Software\Venmark.
SettingsRead OriginSettings();

// The origin updates come from when none is named: $VENMARK_IEEE_ORIGIN,
// else the first of OriginSettings; the IEEE, with no where, when none is
// set. A blank setting counts as none.
OriginSetting FindOriginSetting();

// The value of the first origin= line with a value in a settings file's
// text, read as users write it: UTF-8 or UTF-16 with a mark, or
// Windows-1251; CR LF, LF or a lone CR between lines; the key in any case;
// blanks around key and value ignored, a value in double quotes unquoted.
// A line whose first mark is # or ; is a comment.
std::optional<std::string> OriginInSettings(std::string_view bytes);

}  // namespace venmark

#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "update/origin.h"

// Where updates come from when the user names no origin, set once for a
// user or a whole machine, where the platform keeps such settings.
namespace venmark {

// An origin set outside the program, and where it was set.
struct OriginSetting {
  Origin origin;
  std::string where;  // the variable, the settings file or the registry key
};

// A setting's text and where it stands.
struct SettingText {
  std::string value;
  std::string where;
};

// The origin settings of this system, the user's before the machine's: on
// Linux origin= in each of SettingsFiles(); on Windows the value Origin
// under HKEY_CURRENT_USER, then HKEY_LOCAL_MACHINE, \Software\Venmark.
std::vector<SettingText> OriginSettings();

// The origin updates come from when none is named: $VENMARK_IEEE_ORIGIN,
// else the first of OriginSettings; nothing (the IEEE) when none is set.
// A blank setting counts as none.
std::optional<OriginSetting> FindOriginSetting();

// The value of the first origin= line of a settings file's text (lines of
// key=value, blanks around either ignored; # and ; start comments).
std::optional<std::string> OriginInSettings(std::string_view text);

}  // namespace venmark

#pragma once

#include <string>
#include <string_view>

namespace venmark::win32 {

// text with every lone LF made CR LF, as a multi-line EDIT control and a
// message box want.
std::wstring WithCrLf(std::wstring_view text);

}  // namespace venmark::win32

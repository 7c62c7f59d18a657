#pragma once

#include <string>
#include <string_view>

namespace venmark::win32 {

// UTF-8, as the lookup engine speaks it, to UTF-16, as the W functions do.
std::wstring Wide(std::string_view utf8);

// UTF-16 to UTF-8.
std::string Utf8(std::wstring_view wide);

// text with every lone LF made CR LF, as a multi-line EDIT control wants.
std::wstring WithCrLf(std::wstring_view text);

}  // namespace venmark::win32

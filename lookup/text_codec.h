#pragma once

#include <string>
#include <string_view>

namespace venmark {

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// Appends bytes, read as Windows-1252, to out as UTF-8. Bytes that code page
// leaves undefined become U+FFFD.
void AppendWindows1252AsUtf8(std::string_view bytes, std::string* out);

}  // namespace venmark

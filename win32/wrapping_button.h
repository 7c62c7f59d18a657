#pragma once

#include <windows.h>

namespace venmark::win32 {

// Draws an owner-drawn push button whose caption wraps at spaces only, as
// the layout measured it, in font.
void DrawWrappingButton(const DRAWITEMSTRUCT& item, HFONT font, int dpi);

}  // namespace venmark::win32

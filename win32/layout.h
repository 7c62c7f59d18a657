#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace venmark::win32 {

// The windows were drawn in twips (1/1440 inch) for an 8-point system
// font. A layout turns twips into pixels at the window's DPI and scales
// the whole of it by one more factor, until every caption shows whole in
// the system's message font, as dialog units do.
class Layout {
 public:
  Layout(int dpi, double scale) : dpi_(dpi), scale_(scale) {}

  int Px(int twips) const;
  RECT Rect(int left, int top, int width, int height) const;

 private:
  int dpi_;
  double scale_;
};

// The DPI of the screen a window is on (or the system's).
int WindowDpi(HWND window);

// The system's message font at dpi, never smaller than 8 points.
HFONT CreateCaptionFont(int dpi);

// A monospaced font of the same height, for the text boxes.
HFONT CreateTextBoxFont(HFONT captions);

// text's lines (at its own line breaks, then at spaces only, never inside
// a word nor after a hyphen) no wider than width in the font selected
// into dc, where its words allow.
std::vector<std::wstring> WrapAtSpaces(HDC dc, const std::wstring& text,
                                       int width);

// Whether text fits width x height in font, broken at spaces only when
// wrap, else at its own line breaks only.
bool CaptionFits(HFONT font, const std::wstring& text, int width, int height,
                 bool wrap);

}  // namespace venmark::win32

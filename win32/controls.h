#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/window_layout.h"

namespace venmark::win32 {

// The control identifier of a control of the layout data, by its place in
// its window's tab order (far from IDOK and IDCANCEL, which the dialog
// manager sends for Enter and Escape).
int ControlId(const FormLayout& window, std::string_view name);

// Creates window's controls in tab order as children of form (or of their
// frame), each called by its name and showing its caption.
void CreateControls(const FormLayout& window, HWND form, HINSTANCE instance);

// Places window's controls that stretch for its client size now.
void FollowSize(const FormLayout& window, const Scale& scale, HWND form);

// The control called name in form.
HWND FindControl(const FormLayout& window, HWND form, std::string_view name);

// Lays window's controls out at scale, in the captions' and the text
// boxes' fonts, and gives form its client size.
void PlaceControls(const FormLayout& window, const Scale& scale, HWND form,
                   HFONT captions, HFONT text);

// The whole text of a window or control.
std::wstring WindowText(HWND window);

// Measures text in one GDI font for the layout rules.
class GdiMeasure : public TextMeasure {
 public:
  // Measures in font, which it deletes when owned.
  explicit GdiMeasure(HFONT font, bool owned = false);
  ~GdiMeasure() override;
  GdiMeasure(const GdiMeasure&) = delete;
  GdiMeasure& operator=(const GdiMeasure&) = delete;
  int LineHeight() const override;
  int Width(std::string_view utf8) const override;

 private:
  HFONT font_;
  HDC dc_;
  HGDIOBJ old_;
};

// The system's message font at dpi, then narrower faces to fall back on.
class GdiFonts : public FontSource {
 public:
  explicit GdiFonts(int dpi);
  int faces() const override { return 3; }
  std::unique_ptr<TextMeasure> Measure(int face, double points) const override;
  // The desktop's size in points.
  double desktop_points() const;
  // A new font of face at points; the caller deletes it.
  HFONT Create(int face, double points) const;

 private:
  int dpi_;
  LOGFONTW message_font_{};
};

// A monospaced font as high as captions, for the text boxes.
HFONT CreateTextBoxFont(HFONT captions);

// The DPI of the screen a window is on (or the system's).
int WindowDpi(HWND window);

// A rectangle in the layout's terms.
Pixels Box(const RECT& r);

// The work area of the monitor window is on.
RECT WorkArea(HWND window);

}  // namespace venmark::win32

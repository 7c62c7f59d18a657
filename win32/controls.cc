#include "win32/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "scan/text_codec.h"

namespace venmark::win32 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

std::size_t IndexOf(const FormLayout& window, std::string_view name) {
  const auto found =
      std::find_if(window.controls.begin(), window.controls.end(),
                   [&](const ControlLayout& c) { return c.name == name; });
  return static_cast<std::size_t>(found - window.controls.begin());
}

// Sets a window's size so that its client area is width x height.
void SetClientSize(HWND window, int width, int height) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(
      &frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
      static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
}

}  // namespace

int ControlId(const FormLayout& window, std::string_view name) {
  const int base = window.name == names::kMainForm ? 1000 : 2000;
  return base + 1 + static_cast<int>(IndexOf(window, name));
}

namespace {

// The window class and styles a control of the layout is made with.
struct ControlClass {
  const wchar_t* name = L"BUTTON";
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD extended = 0;
};

ControlClass ClassOf(const ControlLayout& control) {
  ControlClass made;
  switch (control.kind) {
    case ControlKind::kTextBox:
      made.name = L"EDIT";
      made.extended = WS_EX_CLIENTEDGE;
      made.style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                    ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN;
      break;
    case ControlKind::kButton:
      // A long caption is drawn here, so that it wraps at spaces only
      // ("MAC-адресов" stays whole); the window text stays the caption.
      made.style |= WS_TABSTOP | (control.wraps ? BS_OWNERDRAW : BS_PUSHBUTTON);
      break;
    case ControlKind::kLabel:
      made.name = L"STATIC";
      // SS_NOTIFY: a tooltip may tell more of it.
      made.style |= SS_LEFT | SS_NOPREFIX | SS_NOTIFY;
      break;
    case ControlKind::kFrame:
      made.style |= BS_GROUPBOX | WS_CLIPCHILDREN;
      break;
    case ControlKind::kProgressBar:
      made.name = PROGRESS_CLASSW;
      break;
  }
  return made;
}

// The window's controls in the order they are made: a label that names a
// box comes right before it in z-order, where MSAA looks for a name;
// labels take no focus, so the tab order stays.
std::vector<const ControlLayout*> ZOrder(const FormLayout& window) {
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& control : window.controls) {
    if (!control.labelled_by.empty()) {
      order.push_back(&window.Control(control.labelled_by));
    }
    if (std::find(order.begin(), order.end(), &control) == order.end()) {
      order.push_back(&control);
    }
  }
  return order;
}

}  // namespace

void CreateControls(const FormLayout& window, HWND form, HINSTANCE instance) {
  for (const ControlLayout* named : ZOrder(window)) {
    const ControlLayout& control = *named;
    const ControlClass made = ClassOf(control);
    const HWND parent = control.parent.empty()
                            ? form
                            : FindControl(window, form, control.parent);
    // MSAA names a box by the label right before it in z-order; a box
    // named otherwise gets a label of its own there, of no size, which
    // screen readers find and no one sees.
    if (!control.accessible_name.empty() && control.labelled_by.empty()) {
      CreateWindowExW(0, L"STATIC",
                      WideFromUtf8(control.accessible_name).c_str(),
                      WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                      parent, nullptr, instance, nullptr);
    }
    const HWND child = CreateWindowExW(
        made.extended, made.name, WideFromUtf8(control.caption).c_str(),
        made.style, 0, 0, 10, 10, parent,
        reinterpret_cast<HMENU>(
            static_cast<INT_PTR>(ControlId(window, control.name))),
        instance, nullptr);
    // Without this a multi-line box holds 32 K characters.
    if (control.kind == ControlKind::kTextBox) {
      SendMessageW(child, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    }
  }
}

void FollowSize(const FormLayout& window, const Scale& scale, HWND form) {
  RECT client{};
  GetClientRect(form, &client);
  const int grow_x = client.right - scale.Px(window.width);
  const int grow_y = client.bottom - scale.Px(window.height);
  for (const ControlLayout& control : window.controls) {
    if (!control.stretches) continue;
    const Pixels r = PlaceAnchored(control, scale, grow_x, grow_y);
    MoveWindow(FindControl(window, form, control.name), r.left, r.top,
               r.width(), r.height(), TRUE);
  }
}

HWND FindControl(const FormLayout& window, HWND form, std::string_view name) {
  const ControlLayout& control = window.Control(name);
  const HWND parent =
      control.parent.empty() ? form : FindControl(window, form, control.parent);
  return GetDlgItem(parent, ControlId(window, name));
}

void PlaceControls(const FormLayout& window, const Scale& scale, HWND form,
                   HFONT captions, HFONT text) {
  SetClientSize(form, scale.Px(window.width), scale.Px(window.height));
  for (const ControlLayout& control : window.controls) {
    const HWND child = FindControl(window, form, control.name);
    const Pixels r = scale.Rect(control.rect);
    MoveWindow(child, r.left, r.top, r.width(), r.height(), TRUE);
    const bool box = control.kind == ControlKind::kTextBox;
    SendMessageW(child, WM_SETFONT,
                 reinterpret_cast<WPARAM>(box ? text : captions), TRUE);
    // A frame measures its title when the title is set.
    if (control.kind == ControlKind::kFrame) {
      SetWindowTextW(child, WideFromUtf8(control.caption).c_str());
    }
  }
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1,
                    L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

GdiMeasure::GdiMeasure(HFONT font, bool owned)
    : font_(owned ? font : nullptr), dc_(GetDC(nullptr)) {
  old_ = SelectObject(dc_, font);
}

GdiMeasure::~GdiMeasure() {
  SelectObject(dc_, old_);
  ReleaseDC(nullptr, dc_);
  if (font_ != nullptr) DeleteObject(font_);
}

int GdiMeasure::LineHeight() const {
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc_, &metrics);
  return metrics.tmHeight;
}

int GdiMeasure::Width(std::string_view utf8) const {
  const std::wstring text = WideFromUtf8(utf8);
  SIZE size{};
  GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()),
                        &size);
  return size.cx;
}

GdiFonts::GdiFonts(int dpi) : dpi_(dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  message_font_ = metrics.lfMessageFont;
}

double GdiFonts::desktop_points() const {
  // The metrics are for the system's DPI.
  const double points =
      std::abs(message_font_.lfHeight) * 72.0 / WindowDpi(nullptr);
  return CaptionPoints(points);
}

HFONT GdiFonts::Create(int face, double points) const {
  LOGFONTW font = message_font_;
  font.lfHeight = -static_cast<LONG>(std::lround(points * dpi_ / 72.0));
  if (face > 0) {
    font.lfWidth = 0;
    const std::wstring narrower =
        WideFromUtf8(kWin32Faces.narrower[static_cast<std::size_t>(face - 1)]);
    wcsncpy(font.lfFaceName, narrower.c_str(), LF_FACESIZE - 1);
  }
  return CreateFontIndirectW(&font);
}

std::unique_ptr<TextMeasure> GdiFonts::Measure(int face, double points) const {
  return std::make_unique<GdiMeasure>(Create(face, points), true);
}

HFONT CreateTextBoxFont(HFONT captions) {
  LOGFONTW font{};
  GetObjectW(captions, sizeof font, &font);
  LOGFONTW fixed{};
  fixed.lfHeight = font.lfHeight;
  fixed.lfCharSet = DEFAULT_CHARSET;
  fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcsncpy(fixed.lfFaceName, WideFromUtf8(kWin32Faces.monospaced).c_str(),
          LF_FACESIZE - 1);
  return CreateFontIndirectW(&fixed);
}

Pixels Box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

RECT WorkArea(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                  &monitor);
  return monitor.rcWork;
}

int WindowDpi(HWND window) {
  // GetDpiForWindow arrived with Windows 10; Windows 7 has one DPI.
  static const auto get_dpi =
      reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi != nullptr && window != nullptr) {
    if (const UINT dpi = get_dpi(window); dpi != 0)
      return static_cast<int>(dpi);
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace venmark::win32

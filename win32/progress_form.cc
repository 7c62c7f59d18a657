#include "win32/progress_form.h"

#include <commctrl.h>

#include "app/placement.h"
#include "app/window_layout.h"
#include "scan/text_codec.h"
#include "win32/controls.h"
#include "win32/text.h"
#include "win32/window_class.h"

#ifndef PBS_MARQUEE
#define PBS_MARQUEE 0x08
#endif
#ifndef PBM_SETMARQUEE
#define PBM_SETMARQUEE (WM_USER + 10)
#endif

namespace venmark::win32 {

ProgressWindow::ProgressWindow(HINSTANCE instance, HWND owner, HFONT font)
    : owner_(owner) {
  const FormLayout& layout = ProgressFormLayout();
  const std::wstring name = WideFromUtf8(layout.name);
  RegisterWindowClass<ProgressWindow>(instance, name.c_str());
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, name.c_str(),
                          WideFromUtf8(layout.caption).c_str(),
                          WS_POPUP | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                          400, 140, owner, nullptr, instance, this);
  CreateControls(layout, hwnd_, instance);
  const int dpi = WindowDpi(hwnd_);
  PlaceControls(layout, Scale(dpi, FitFactor(layout, GdiMeasure(font), dpi)),
                hwnd_, font, font);
  label_ = FindControl(layout, hwnd_, names::kProgressText);
  SetWindowTextW(label_, L"");
  bar_ = FindControl(layout, hwnd_, names::kProgressBar);
  SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);
  RECT owner_box{}, box{};
  GetWindowRect(owner, &owner_box);
  GetWindowRect(hwnd_, &box);
  const Pixels placed =
      PlaceProgress(Box(owner_box), box.right - box.left, box.bottom - box.top,
                    Box(WorkArea(owner)));
  SetWindowPos(hwnd_, nullptr, placed.left, placed.top, 0, 0,
               SWP_NOZORDER | SWP_NOSIZE);
  EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(FindControl(layout, hwnd_, names::kCancel));
}

ProgressWindow::~ProgressWindow() {
  EnableWindow(owner_, TRUE);
  DestroyWindow(hwnd_);
  SetForegroundWindow(owner_);
}

bool ProgressWindow::Show(std::string_view text, double done) {
  const std::wstring wide = WithCrLf(WideFromUtf8(text));
  if (wide != shown_) {
    SetWindowTextW(label_, wide.c_str());
    shown_ = wide;
  }
  // A busy bar where the size is not known.
  const bool busy = done < 0;
  if (busy != busy_) {
    const LONG_PTR style = GetWindowLongPtrW(bar_, GWL_STYLE);
    SetWindowLongPtrW(bar_, GWL_STYLE,
                      busy ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
    SendMessageW(bar_, PBM_SETMARQUEE, busy ? TRUE : FALSE, 0);
    busy_ = busy;
  }
  if (!busy) {
    SendMessageW(bar_, PBM_SETPOS,
                 static_cast<WPARAM>(std::min(done, 1.0) * 1000), 0);
  }
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      cancelled_ = true;
      break;
    }
    if (IsDialogMessageW(hwnd_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return !cancelled_;
}

LRESULT ProgressWindow::HandleMessage(HWND hwnd, UINT message, WPARAM w,
                                      LPARAM l) {
  const bool cancel =
      message == WM_COMMAND &&
      (LOWORD(w) == IDCANCEL ||
       LOWORD(w) == ControlId(ProgressFormLayout(), names::kCancel));
  if (cancel || message == WM_CLOSE) {
    cancelled_ = true;
    return 0;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace venmark::win32

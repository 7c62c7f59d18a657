#include "win32/progress_form.h"

#include "app/texts.h"
#include "scan/text_codec.h"
#include "win32/controls.h"
#include "win32/window_class.h"

namespace venmark::win32 {
namespace {

constexpr wchar_t kProgressClass[] = L"VenmarkProgress";

}  // namespace

ProgressWindow::ProgressWindow(HINSTANCE instance, HWND owner, HFONT font)
    : owner_(owner) {
  RegisterWindowClass<ProgressWindow>(instance, kProgressClass);
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressClass,
                          WideFromUtf8(text::kProgressTitle).c_str(),
                          WS_POPUP | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                          400, 140, owner, nullptr, instance, this);
  const int dpi = WindowDpi(hwnd_);
  const auto px = [dpi](int v) { return MulDiv(v, dpi, 96); };
  RECT frame{0, 0, px(380), px(110)};
  AdjustWindowRectEx(&frame, WS_POPUP | WS_CAPTION, FALSE, WS_EX_DLGMODALFRAME);
  label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT,
                           px(12), px(12), px(356), px(48), hwnd_, nullptr,
                           instance, nullptr);
  cancel_ =
      CreateWindowExW(0, L"BUTTON", WideFromUtf8(text::kCancel).c_str(),
                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                      px(280), px(70), px(88), px(28), hwnd_,
                      reinterpret_cast<HMENU>(IDCANCEL), instance, nullptr);
  SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SendMessageW(cancel_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  // Centred on its owner.
  RECT owner_box{};
  GetWindowRect(owner, &owner_box);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(hwnd_, nullptr, (owner_box.left + owner_box.right - width) / 2,
               (owner_box.top + owner_box.bottom - height) / 2, width, height,
               SWP_NOZORDER);
  EnableWindow(owner_, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(cancel_);
}

ProgressWindow::~ProgressWindow() {
  EnableWindow(owner_, TRUE);
  DestroyWindow(hwnd_);
  SetForegroundWindow(owner_);
}

bool ProgressWindow::Pump(std::int64_t received) {
  const std::wstring text = WideFromUtf8(std::string(text::kProgressLabel) +
                                         "\n" + text::Received(received));
  if (text != shown_) {
    SetWindowTextW(label_, text.c_str());
    shown_ = text;
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
  if ((message == WM_COMMAND && LOWORD(w) == IDCANCEL) || message == WM_CLOSE) {
    cancelled_ = true;
    return 0;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace venmark::win32

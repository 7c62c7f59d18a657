#include "win32/results_form.h"

#include <algorithm>

#include "app/window_layout.h"
#include "scan/text_codec.h"
#include "win32/controls.h"
#include "win32/text.h"
#include "win32/window_class.h"

namespace venmark::win32 {

ResultsWindow* ResultsWindow::Create(HINSTANCE instance, HFONT captions,
                                     HFONT text, int dpi) {
  const FormLayout& layout = ResultsFormLayout();
  const std::wstring name = WideFromUtf8(layout.name);
  RegisterWindowClass<ResultsWindow>(instance, name.c_str());
  auto* window = new ResultsWindow();
  window->hwnd_ =
      CreateWindowExW(0, name.c_str(), WideFromUtf8(layout.caption).c_str(),
                      WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400,
                      500, nullptr, nullptr, instance, window);
  ++OpenWindows();
  CreateControls(layout, window->hwnd_, instance);
  window->text_ = FindControl(layout, window->hwnd_, names::kResults);
  // The frame's title must show whole, descenders and all, above the box.
  const GdiMeasure measure(captions);
  window->dpi_ = dpi;
  window->factor_ = FitFactor(layout, measure, dpi);
  PlaceControls(layout, Scale(dpi, window->factor_), window->hwnd_, captions,
                text);
  return window;
}

ResultsWindow* ResultsWindow::Of(HWND hwnd) {
  if (hwnd == nullptr || !IsWindow(hwnd)) return nullptr;
  // A handle may be given again to a new window of another kind.
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  if (WideFromUtf8(ResultsFormLayout().name) != name) return nullptr;
  return reinterpret_cast<ResultsWindow*>(
      GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

std::string ResultsWindow::Text() const {
  std::wstring text = WindowText(text_);
  std::erase(text, L'\r');
  return Utf8FromWide(text);
}

void ResultsWindow::Append(std::string_view text, std::size_t first) {
  if (text.empty()) return;
  const std::wstring before = WithCrLf(WideFromUtf8(text.substr(0, first)));
  const std::wstring insert =
      before + WithCrLf(WideFromUtf8(text.substr(first)));
  const int length = GetWindowTextLengthW(text_);
  SendMessageW(text_, EM_SETSEL, static_cast<WPARAM>(length), length);
  SendMessageW(text_, EM_REPLACESEL, FALSE,
               reinterpret_cast<LPARAM>(insert.c_str()));
  // The first of the new lines at the top of the view, the caret at it.
  const int first_char = length + static_cast<int>(before.size());
  const auto first_line = SendMessageW(text_, EM_LINEFROMCHAR, first_char, 0);
  const auto top_line = SendMessageW(text_, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageW(text_, EM_SETSEL, first_char, first_char);
  SendMessageW(text_, EM_LINESCROLL, 0, first_line - top_line);
}

Pixels ResultsWindow::Frame() const {
  RECT box{};
  GetWindowRect(hwnd_, &box);
  return {box.left, box.top, box.right, box.bottom};
}

int ResultsWindow::FrameWidthFor(std::string_view lines) const {
  HDC dc = GetDC(text_);
  const auto font =
      reinterpret_cast<HFONT>(SendMessageW(text_, WM_GETFONT, 0, 0));
  const HGDIOBJ before = SelectObject(dc, font);
  int widest = 0;
  for (std::size_t at = 0; at <= lines.size();) {
    std::size_t end = lines.find('\n', at);
    if (end == std::string_view::npos) end = lines.size();
    const std::wstring line = WideFromUtf8(lines.substr(at, end - at));
    SIZE size{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()),
                          &size);
    widest = std::max(widest, static_cast<int>(size.cx));
    at = end + 1;
  }
  SelectObject(dc, before);
  ReleaseDC(text_, dc);
  // Around the text: the box's margins, its vertical scroll bar and
  // borders, and the window's frame and edges.
  const auto margins =
      static_cast<DWORD>(SendMessageW(text_, EM_GETMARGINS, 0, 0));
  RECT box{}, client{};
  GetWindowRect(text_, &box);
  GetClientRect(text_, &client);
  const int borders = (box.right - box.left) - (client.right - client.left);
  const int around_text = LOWORD(margins) + HIWORD(margins) + borders +
                          GetSystemMetrics(SM_CXVSCROLL) + 4;
  return widest + around_text + (Frame().width() - (box.right - box.left));
}

void ResultsWindow::SetFrameWidth(int width) {
  const Pixels frame = Frame();
  SetWindowPos(hwnd_, nullptr, 0, 0, width, frame.height(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResultsWindow::MoveTo(int left, int top) {
  SetWindowPos(hwnd_, nullptr, left, top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ResultsWindow::ShowAndRaise() {
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

LRESULT ResultsWindow::HandleMessage(HWND hwnd, UINT message, WPARAM w,
                                     LPARAM l) {
  if (message == WM_SIZE && text_ != nullptr) {
    // The frame and the box follow the window's edges.
    FollowSize(ResultsFormLayout(), Scale(dpi_, factor_), hwnd);
  }
  if (message == WM_NCDESTROY) {
    delete this;
    if (--OpenWindows() == 0) PostQuitMessage(0);
  }
  return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace venmark::win32

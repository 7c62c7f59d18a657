#include "win32/results_form.h"

#include "app/window_layout.h"
#include "scan/text_codec.h"
#include "win32/controls.h"
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
  window->text_ = FindControl(layout, window->hwnd_, "Text1");
  // The frame's title must show whole, descenders and all, above the box.
  const GdiMeasure measure(captions);
  window->dpi_ = dpi;
  window->factor_ = FitFactor(layout, measure, dpi);
  PlaceControls(layout, Scale(dpi, window->factor_), window->hwnd_, captions,
                text);
  return window;
}

void ResultsWindow::Append(const std::wstring& lines) {
  if (lines.empty()) return;
  const int length = GetWindowTextLengthW(text_);
  std::wstring insert = lines;
  // Whatever the user typed last keeps its own line.
  if (length > 0 && !WindowText(text_).ends_with(L"\r\n")) {
    insert = L"\r\n" + insert;
  }
  SendMessageW(text_, EM_SETSEL, static_cast<WPARAM>(length), length);
  SendMessageW(text_, EM_REPLACESEL, FALSE,
               reinterpret_cast<LPARAM>(insert.c_str()));
  // The first of the new lines at the top of the view, the caret at it.
  const int first_char = length + (insert.size() > lines.size() ? 2 : 0);
  const auto first_line = SendMessageW(text_, EM_LINEFROMCHAR, first_char, 0);
  const auto top_line = SendMessageW(text_, EM_GETFIRSTVISIBLELINE, 0, 0);
  SendMessageW(text_, EM_SETSEL, first_char, first_char);
  SendMessageW(text_, EM_LINESCROLL, 0, first_line - top_line);
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

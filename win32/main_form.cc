#include "win32/main_form.h"

#include <commctrl.h>

#include <chrono>
#include <memory>

#include "app/listing_age.h"
#include "app/placement.h"
#include "app/search_flow.h"
#include "app/texts.h"
#include "app/update_flow.h"
#include "app/window_layout.h"
#include "scan/text_codec.h"
#include "win32/controls.h"
#include "win32/progress_form.h"
#include "win32/text.h"
#include "win32/window_class.h"
#include "win32/wrapping_button.h"

namespace venmark::win32 {
namespace {

Pixels Box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The work area of the monitor window is on.
RECT WorkArea(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                  &monitor);
  return monitor.rcWork;
}

void Tell(HWND owner, std::string_view text) {
  MessageBoxW(owner, WithCrLf(WideFromUtf8(text)).c_str(),
              WideFromUtf8(text::kAppTitle).c_str(), MB_OK);
}

}  // namespace

int& OpenWindows() {
  static int open = 0;
  return open;
}

MainWindow::MainWindow(HINSTANCE instance, std::string database)
    : instance_(instance), database_(std::move(database)) {
  const FormLayout& layout = MainFormLayout();
  const std::wstring name = WideFromUtf8(layout.name);
  RegisterWindowClass<MainWindow>(instance, name.c_str(), 1);
  hwnd_ = CreateWindowExW(
      0, name.c_str(), WideFromUtf8(layout.caption).c_str(),
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
      CW_USEDEFAULT, 800, 500, nullptr, nullptr, instance, this);
  ++OpenWindows();
  CreateControls(layout, hwnd_, instance);
  tooltip_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, hwnd_, nullptr, instance, nullptr);
  LayOut(WindowDpi(hwnd_));
  ShowListingAge();
  SetFocus(Control("Text1"));
}

void MainWindow::ShowListingAge() {
  const ListingAge age =
      AgeOfListing(database_, std::chrono::system_clock::now());
  listing_old_ = age.old;
  const HWND label = Control("Label1");
  SetWindowTextW(label, WithCrLf(WideFromUtf8(text::Credits(age))).c_str());
  if (tooltip_ != nullptr) {
    tip_ = WithCrLf(WideFromUtf8(text::AgeTooltip(age)));
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = hwnd_;
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    tool.lpszText = tip_.data();
    SendMessageW(tooltip_, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  InvalidateRect(label, nullptr, TRUE);
}

MainWindow::~MainWindow() {
  if (captions_ != nullptr) DeleteObject(captions_);
  if (text_font_ != nullptr) DeleteObject(text_font_);
}

HWND MainWindow::Control(const char* name) const {
  return FindControl(MainFormLayout(), hwnd_, name);
}

void MainWindow::LayOut(int dpi) {
  const FormLayout& layout = MainFormLayout();
  const GdiFonts fonts(dpi);
  const WindowFit fit = FitWindow(layout, fonts, fonts.desktop_points(), dpi,
                                  Box(WorkArea(hwnd_)));
  const HFONT captions = fonts.Create(fit.face, fit.points);
  const HFONT text_font = CreateTextBoxFont(captions);
  PlaceControls(layout, Scale(dpi, fit.factor), hwnd_, captions, text_font);
  if (captions_ != nullptr) DeleteObject(captions_);
  if (text_font_ != nullptr) DeleteObject(text_font_);
  captions_ = captions;
  text_font_ = text_font;
}

ResultsWindow* MainWindow::TouchResults() {
  if (results_ != nullptr && IsWindow(results_->hwnd())) return results_;
  results_ =
      ResultsWindow::Create(instance_, captions_, text_font_, WindowDpi(hwnd_));
  // Beside the main window, never over its buttons while there is room.
  RECT main{}, results{}, button{};
  GetWindowRect(hwnd_, &main);
  GetWindowRect(results_->hwnd(), &results);
  GetWindowRect(Control("Command1"), &button);
  const RECT row{main.left, button.top, main.right, main.bottom};
  const Pixels placed =
      PlaceResults(Box(main), Box(row), results.right - results.left,
                   results.bottom - results.top, Box(WorkArea(hwnd_)));
  SetWindowPos(results_->hwnd(), nullptr, placed.left, placed.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return results_;
}

void MainWindow::Search() {
  const std::string text = Utf8FromWide(WindowText(Control("Text1")));
  const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  const SearchOutcome outcome = RunSearch(text, database_, "\r\n");
  SetCursor(previous);
  if (!outcome.error.empty()) {
    Tell(hwnd_, outcome.error);
    return;
  }
  ResultsWindow* window = TouchResults();
  window->Append(WideFromUtf8(outcome.lines));
  ShowWindow(window->hwnd(), SW_SHOW);
  SetForegroundWindow(window->hwnd());
}

void MainWindow::Update() {
  if (MessageBoxW(hwnd_, WideFromUtf8(text::kConfirmUpdate).c_str(),
                  WideFromUtf8(text::kAppTitle).c_str(), MB_OKCANCEL) != IDOK) {
    return;
  }
  UpdateResult result;
  {
    ProgressWindow progress(instance_, hwnd_, captions_);
    result = RunUpdate(
        {database_, std::nullopt, nullptr},
        [&](std::int64_t received) { return progress.Pump(received); });
  }
  ShowListingAge();
  if (result.status != UpdateStatus::kCancelled) {
    Tell(hwnd_, CompletionMessage(result));
  }
}

void MainWindow::Exit() {
  if (results_ != nullptr && IsWindow(results_->hwnd())) {
    DestroyWindow(results_->hwnd());
  }
  DestroyWindow(hwnd_);
  PostQuitMessage(0);
}

bool MainWindow::HandleKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  const bool control = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  wchar_t kind[16] = L"";
  GetClassNameW(message.hwnd, kind, 16);
  const bool edit = lstrcmpiW(kind, L"EDIT") == 0;
  const bool button = lstrcmpiW(kind, L"BUTTON") == 0;
  if (edit && control && message.wParam == 'A') {
    SendMessageW(message.hwnd, EM_SETSEL, 0, -1);
    return true;
  }
  if (message.wParam == VK_RETURN) {
    if (control && message.hwnd == Control("Text1")) {
      Search();
      return true;
    }
    if (button && !control) {
      SendMessageW(message.hwnd, BM_CLICK, 0, 0);
      return true;
    }
  }
  // A multi-line box would take Tab as text; Ctrl+Tab still types one.
  if (edit && message.wParam == VK_TAB && !control) {
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    SetFocus(GetNextDlgTabItem(root, message.hwnd, shift));
    return true;
  }
  return false;
}

LRESULT MainWindow::HandleMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  const FormLayout& layout = MainFormLayout();
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) {
        const int id = LOWORD(w);
        if (id == ControlId(layout, "Command1")) {
          Search();
          return 0;
        }
        if (id == ControlId(layout, "Command2")) {
          Exit();
          return 0;
        }
        if (id == ControlId(layout, "Command3")) {
          Update();
          return 0;
        }
      }
      break;
    case WM_CTLCOLORSTATIC:
      // An old listing's credits in a warning colour that reads on the
      // system's light or dark face alike.
      if (listing_old_ && reinterpret_cast<HWND>(l) == Control("Label1")) {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        const int light = (GetRValue(face) * 299 + GetGValue(face) * 587 +
                           GetBValue(face) * 114) /
                          1000;
        const HDC dc = reinterpret_cast<HDC>(w);
        SetTextColor(dc,
                     light >= 128 ? RGB(0xA3, 0, 0) : RGB(0xFF, 0xB4, 0xA8));
        SetBkColor(dc, face);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (static_cast<int>(item->CtlID) != ControlId(layout, "Command3")) break;
      DrawWrappingButton(*item, captions_, WindowDpi(hwnd));
      return TRUE;
    }
    case 0x02E0: {  // WM_DPICHANGED: lay out again for the new screen.
      LayOut(HIWORD(w));
      const auto* suggested = reinterpret_cast<const RECT*>(l);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      if (--OpenWindows() == 0) PostQuitMessage(0);
      break;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace venmark::win32

#include "win32/main_form.h"

#include <commctrl.h>

#include "app/texts.h"
#include "app/window_layout.h"
#include "scan/text_codec.h"
#include "win32/controls.h"
#include "win32/progress_form.h"
#include "win32/text.h"
#include "win32/window_class.h"
#include "win32/wrapping_button.h"

namespace venmark::win32 {
namespace {

// The window text's class, as the presenter knows controls.
ControlKind KindOf(HWND control) {
  wchar_t kind[16] = L"";
  GetClassNameW(control, kind, 16);
  if (lstrcmpiW(kind, L"EDIT") == 0) return ControlKind::kTextBox;
  if (lstrcmpiW(kind, L"BUTTON") == 0) return ControlKind::kButton;
  return ControlKind::kLabel;
}

// The layout name of a control of either window, or empty.
std::string NameOf(HWND control, const FormLayout& window) {
  const int id = GetDlgCtrlID(control);
  for (const ControlLayout& layout : window.controls) {
    if (ControlId(window, layout.name) == id) return layout.name;
  }
  return {};
}

}  // namespace

int& OpenWindows() {
  static int open = 0;
  return open;
}

MainWindow::MainWindow(HINSTANCE instance, MainPresenter::Settings settings)
    : instance_(instance), presenter_(this, std::move(settings)) {
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
  presenter_.Start();
  SetFocus(Control(names::kInput));
}

MainWindow::~MainWindow() {
  if (captions_ != nullptr) DeleteObject(captions_);
  if (text_font_ != nullptr) DeleteObject(text_font_);
}

HWND MainWindow::Control(std::string_view name) const {
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

std::string MainWindow::InputText() const {
  std::wstring text = WindowText(Control(names::kInput));
  std::erase(text, L'\r');
  return Utf8FromWide(text);
}

void MainWindow::SetBusy(bool busy) {
  if (busy) {
    before_busy_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  } else {
    SetCursor(before_busy_);
  }
}

Rgb MainWindow::Background() const {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return {GetRValue(face), GetGValue(face), GetBValue(face)};
}

void MainWindow::ShowCredits(const CreditsLine& credits) {
  const HWND label = Control(names::kCredits);
  SetWindowTextW(label, WithCrLf(WideFromUtf8(credits.text)).c_str());
  // A static control draws in one colour: the whole line warns.
  warning_.reset();
  if (!credits.warned.empty()) {
    const Rgb c = credits.warning_colour;
    warning_ = RGB(c.red, c.green, c.blue);
  }
  if (tooltip_ != nullptr) {
    tip_ = WithCrLf(WideFromUtf8(credits.tooltip));
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

bool MainWindow::Confirm(std::string_view question) {
  return MessageBoxW(hwnd_, WithCrLf(WideFromUtf8(question)).c_str(),
                     WideFromUtf8(text::kAppTitle).c_str(),
                     MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void MainWindow::Tell(MessageKind kind, std::string_view text) {
  MessageBoxW(hwnd_, WithCrLf(WideFromUtf8(text)).c_str(),
              WideFromUtf8(text::kAppTitle).c_str(),
              MB_OK | (kind == MessageKind::kSuccess ? MB_ICONINFORMATION
                                                     : MB_ICONERROR));
}

std::unique_ptr<ProgressView> MainWindow::OpenProgress() {
  return std::make_unique<ProgressWindow>(instance_, hwnd_, captions_);
}

ResultsView* MainWindow::OpenResults() { return ResultsWindow::Of(results_); }

ResultsView* MainWindow::CreateResults() {
  ResultsWindow* results =
      ResultsWindow::Create(instance_, captions_, text_font_, WindowDpi(hwnd_));
  results_ = results->hwnd();
  return results;
}

MainGeometry MainWindow::Geometry() const {
  RECT main{}, button{};
  GetWindowRect(hwnd_, &main);
  GetWindowRect(Control(names::kSearch), &button);
  return {Box(main), static_cast<int>(button.top), Box(WorkArea(hwnd_))};
}

void MainWindow::CloseAll() {
  if (OpenResults() != nullptr) DestroyWindow(results_);
  DestroyWindow(hwnd_);
  PostQuitMessage(0);
}

bool MainWindow::HandleKey(const MSG& message) {
  if (message.message != WM_KEYDOWN) return false;
  KeyPress press;
  switch (message.wParam) {
    case VK_RETURN:
      press.key = KeyCode::kReturn;
      break;
    case VK_TAB:
      press.key = KeyCode::kTab;
      break;
    case 'A':
      press.key = KeyCode::kA;
      break;
    default:
      return false;
  }
  press.other_modifier = GetKeyState(VK_MENU) < 0;
  press.control = GetKeyState(VK_CONTROL) < 0;
  press.shift = GetKeyState(VK_SHIFT) < 0;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  const FormLayout& window =
      root == hwnd_ ? MainFormLayout() : ResultsFormLayout();
  const std::string name = NameOf(message.hwnd, window);
  press.window = window.name;
  press.target = name;
  press.target_kind = KindOf(message.hwnd);
  const KeyAction action = presenter_.OnKey(press);
  const HWND target = message.hwnd;
  switch (action) {
    case KeyAction::kNone:
      return false;
    case KeyAction::kDone:
      break;
    case KeyAction::kClick:
      SendMessageW(target, BM_CLICK, 0, 0);
      break;
    case KeyAction::kFocusNext:
    case KeyAction::kFocusPrevious:
      SetFocus(
          GetNextDlgTabItem(root, target, action == KeyAction::kFocusPrevious));
      break;
    case KeyAction::kSelectAll:
      SendMessageW(target, EM_SETSEL, 0, -1);
      break;
  }
  return true;
}

LRESULT MainWindow::HandleMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  const FormLayout& layout = MainFormLayout();
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) {
        // Each button tells the presenter its name; what it does is decided
        // there.
        presenter_.OnButton(NameOf(reinterpret_cast<HWND>(l), layout));
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC:
      if (warning_ && reinterpret_cast<HWND>(l) == Control(names::kCredits)) {
        const HDC dc = reinterpret_cast<HDC>(w);
        SetTextColor(dc, *warning_);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (static_cast<int>(item->CtlID) != ControlId(layout, names::kUpdate))
        break;
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

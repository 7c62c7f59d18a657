#include "win32/forms.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "lookup/listing_file.h"
#include "lookup/listing_places.h"
#include "lookup/listing_set.h"
#include "lookup/mac_scanner.h"
#include "lookup/search.h"
#include "update/transport.h"
#include "win32/layout.h"
#include "win32/text.h"
#include "windows/placement.h"

namespace venmark::win32 {
namespace {

constexpr wchar_t kTitle[] = L"Venmark";
constexpr wchar_t kMainClass[] = L"Form1";
constexpr wchar_t kResultsClass[] = L"Form2";
constexpr wchar_t kProgressClass[] = L"VenmarkProgress";

// A control as drawn, in twips.
struct Drawn {
  int id;
  const wchar_t* kind;
  const wchar_t* caption;
  DWORD style;
  int left, top, width, height;
  bool button, wrap;
};

const Drawn kMainControls[] = {
    {kText1, L"EDIT", L"",
     WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
         ES_AUTOHSCROLL | ES_WANTRETURN,
     240, 600, 11175, 5655, false, false},
    {kCommand1, L"BUTTON", L"Поиск", WS_TABSTOP | BS_PUSHBUTTON, 4920, 6480,
     1935, 615, true, false},
    {kLabel2, L"STATIC",
     L"Введите любой текст, где фигурируют MACи в любом формате:",
     SS_LEFT | SS_NOPREFIX, 240, 240, 4935, 255, false, false},
    {kCommand2, L"BUTTON", L"Выход", WS_TABSTOP | BS_PUSHBUTTON, 10320, 6480,
     1095, 615, true, false},
    {kLabel1, L"STATIC",
     L"Venmark 1.0.0 © 2026, venmark.org\nДанные о производителях: IEEE",
     SS_LEFT | SS_NOPREFIX, 120, 6720, 4215, 495, false, false},
    // Drawn here, so that its caption wraps at spaces only ("MAC-адресов"
    // stays whole); its window text stays the caption.
    {kCommand3, L"BUTTON", L"Обновить базу MAC-адресов с сервера IEEE",
     WS_TABSTOP | BS_OWNERDRAW, 8520, 6480, 1575, 615, true, true},
};
constexpr int kMainWidth = 11685, kMainHeight = 7215;
constexpr int kResultsWidth = 6105, kResultsHeight = 7515;

// Sets a window's size so that its client area is width x height.
void SetClientSize(HWND window, int width, int height) {
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(
      &frame, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
      static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left,
               frame.bottom - frame.top, SWP_NOMOVE | SWP_NOZORDER);
}

void Move(HWND control, const RECT& r) {
  MoveWindow(control, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1,
                    L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

ScreenBox Box(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A small window with the download's progress and «Отмена»; the update
// calls Pump from its progress callback, which keeps every window painted
// while the main one is disabled.
class ProgressWindow {
 public:
  ProgressWindow(HINSTANCE instance, HWND owner, HFONT font) : owner_(owner) {
    hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressClass, kTitle,
                            WS_POPUP | WS_CAPTION, CW_USEDEFAULT, CW_USEDEFAULT,
                            400, 140, owner, nullptr, instance, this);
    const int dpi = WindowDpi(hwnd_);
    const auto px = [dpi](int v) { return MulDiv(v, dpi, 96); };
    SetClientSize(hwnd_, px(380), px(110));
    label_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT,
                             px(12), px(12), px(356), px(48), hwnd_, nullptr,
                             instance, nullptr);
    cancel_ =
        CreateWindowExW(0, L"BUTTON", L"Отмена",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                        px(280), px(70), px(88), px(28), hwnd_,
                        reinterpret_cast<HMENU>(IDCANCEL), instance, nullptr);
    SendMessageW(label_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageW(cancel_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    RECT owner_box{}, box{};
    GetWindowRect(owner, &owner_box);
    GetWindowRect(hwnd_, &box);
    SetWindowPos(
        hwnd_, nullptr,
        (owner_box.left + owner_box.right - (box.right - box.left)) / 2,
        (owner_box.top + owner_box.bottom - (box.bottom - box.top)) / 2, 0, 0,
        SWP_NOSIZE | SWP_NOZORDER);
    EnableWindow(owner_, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetFocus(cancel_);
  }
  ~ProgressWindow() {
    EnableWindow(owner_, TRUE);
    DestroyWindow(hwnd_);
    SetForegroundWindow(owner_);
  }

  // Shows how much has arrived and lets the windows work; false once
  // «Отмена» has been pressed.
  bool Pump(std::int64_t received) {
    const std::wstring text =
        L"Загрузка списков производителей с сервера IEEE…\nПолучено " +
        std::to_wstring((received + 1023) / 1024) + L" КБ";
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

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(
          hwnd, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(
              reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(
        GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr && ((message == WM_COMMAND && LOWORD(w) == IDCANCEL) ||
                            message == WM_CLOSE)) {
      self->cancelled_ = true;
      return 0;
    }
    return DefWindowProcW(hwnd, message, w, l);
  }

 private:
  HWND owner_;
  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  HWND cancel_ = nullptr;
  std::wstring shown_;
  bool cancelled_ = false;
};

}  // namespace

int& OpenWindows() {
  static int open = 0;
  return open;
}

// --- Form2 ---------------------------------------------------------------

void ResultsWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = Proc;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kResultsClass;
  RegisterClassExW(&window_class);
}

ResultsWindow* ResultsWindow::Create(HINSTANCE instance, HFONT captions,
                                     HFONT text, int dpi) {
  auto* window = new ResultsWindow();
  window->hwnd_ = CreateWindowExW(
      0, kResultsClass, L"Результаты поиска",
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
      CW_USEDEFAULT, 400, 500, nullptr, nullptr, instance, window);
  ++OpenWindows();
  // The frame's title must show whole, descenders and all, above the box.
  double scale = 1.0;
  while (scale < 8 && !CaptionFits(captions, L"Таблица соответствий",
                                   Layout(dpi, scale).Px(5895 - 240),
                                   Layout(dpi, scale).Px(240), false)) {
    scale += 0.025;
  }
  const Layout layout(dpi, scale);
  SetClientSize(window->hwnd_, layout.Px(kResultsWidth),
                layout.Px(kResultsHeight));
  const RECT frame_box = layout.Rect(120, 120, 5895, 7215);
  const HWND frame = CreateWindowExW(
      0, L"BUTTON", L"Таблица соответствий",
      WS_CHILD | WS_VISIBLE | BS_GROUPBOX | WS_CLIPCHILDREN, frame_box.left,
      frame_box.top, frame_box.right - frame_box.left,
      frame_box.bottom - frame_box.top, window->hwnd_,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFrame1)), instance,
      nullptr);
  const RECT text_box = layout.Rect(120, 240, 5655, 6855);
  window->text_ = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"EDIT", L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL |
          ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_WANTRETURN,
      text_box.left, text_box.top, text_box.right - text_box.left,
      text_box.bottom - text_box.top, frame,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kResultsText1)), instance,
      nullptr);
  SendMessageW(frame, WM_SETFONT, reinterpret_cast<WPARAM>(captions), TRUE);
  // The title once more, now measured in the font it is drawn in.
  SetWindowTextW(frame, L"Таблица соответствий");
  SendMessageW(window->text_, WM_SETFONT, reinterpret_cast<WPARAM>(text), TRUE);
  // Without this a multi-line box holds 32 K characters.
  SendMessageW(window->text_, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
  return window;
}

void ResultsWindow::Append(const std::wstring& lines) {
  if (lines.empty()) return;
  const int length = GetWindowTextLengthW(text_);
  std::wstring insert = lines;
  // Whatever the user typed last keeps its own line.
  if (length > 0) {
    const std::wstring text = WindowText(text_);
    if (!text.ends_with(L"\r\n")) insert = L"\r\n" + insert;
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

LRESULT CALLBACK ResultsWindow::Proc(HWND hwnd, UINT message, WPARAM w,
                                     LPARAM l) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(
                          reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
  }
  auto* self =
      reinterpret_cast<ResultsWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (message == WM_NCDESTROY && self != nullptr) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    delete self;
    if (--OpenWindows() == 0) PostQuitMessage(0);
  }
  return DefWindowProcW(hwnd, message, w, l);
}

// --- Form1 ---------------------------------------------------------------

void MainWindow::RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = Proc;
  window_class.hInstance = instance;
  window_class.hIcon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0));
  window_class.hIconSm = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 16, 16, 0));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kMainClass;
  RegisterClassExW(&window_class);
  ResultsWindow::RegisterWindowClass(instance);

  // The update's progress window.
  WNDCLASSEXW progress{};
  progress.cbSize = sizeof progress;
  progress.lpfnWndProc = ProgressWindow::Proc;
  progress.hInstance = instance;
  progress.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  progress.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  progress.lpszClassName = kProgressClass;
  RegisterClassExW(&progress);
}

MainWindow::MainWindow(HINSTANCE instance) : instance_(instance) {
  hwnd_ = CreateWindowExW(
      0, kMainClass, kTitle,
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
      CW_USEDEFAULT, 800, 500, nullptr, nullptr, instance, this);
  ++OpenWindows();
  // Created in tab order.
  for (const Drawn& control : kMainControls) {
    const HWND child = CreateWindowExW(
        control.id == kText1 ? WS_EX_CLIENTEDGE : 0, control.kind,
        control.caption, WS_CHILD | WS_VISIBLE | control.style, 0, 0, 10, 10,
        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
        instance, nullptr);
    if (control.id == kText1) {
      SendMessageW(child, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
    }
  }
  LayOut(WindowDpi(hwnd_));
  SetFocus(GetDlgItem(hwnd_, kText1));
}

MainWindow::~MainWindow() {
  if (captions_ != nullptr) DeleteObject(captions_);
  if (text_font_ != nullptr) DeleteObject(text_font_);
}

void MainWindow::LayOut(int dpi) {
  const HFONT captions = CreateCaptionFont(dpi);
  const HFONT text_font = CreateTextBoxFont(captions);
  // As drawn, then scaled as one until every caption shows whole.
  const auto fits = [&](double scale) {
    const Layout layout(dpi, scale);
    const int bevel_x = MulDiv(8, dpi, 96), bevel_y = MulDiv(4, dpi, 96);
    return std::all_of(
        std::begin(kMainControls), std::end(kMainControls),
        [&](const Drawn& c) {
          if (c.caption[0] == L'\0') return true;
          const RECT r = layout.Rect(c.left, c.top, c.width, c.height);
          return CaptionFits(
              captions, c.caption, r.right - r.left - (c.button ? bevel_x : 0),
              r.bottom - r.top - (c.button ? bevel_y : 0), c.wrap);
        });
  };
  double scale = 1.0;
  while (scale < 8 && !fits(scale)) scale += 0.025;
  const Layout layout(dpi, scale);
  SetClientSize(hwnd_, layout.Px(kMainWidth), layout.Px(kMainHeight));
  for (const Drawn& c : kMainControls) {
    const HWND child = GetDlgItem(hwnd_, c.id);
    Move(child, layout.Rect(c.left, c.top, c.width, c.height));
    SendMessageW(
        child, WM_SETFONT,
        reinterpret_cast<WPARAM>(c.id == kText1 ? text_font : captions), TRUE);
  }
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
  GetWindowRect(GetDlgItem(hwnd_, kCommand1), &button);
  const RECT row{main.left, button.top, main.right, main.bottom};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
  const ScreenBox placed =
      PlaceResults(Box(main), Box(row), results.right - results.left,
                   results.bottom - results.top, Box(monitor.rcWork));
  SetWindowPos(results_->hwnd(), nullptr, placed.left, placed.top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return results_;
}

void MainWindow::ShowError(const std::wstring& text) {
  MessageBoxW(hwnd_, text.c_str(), kTitle, MB_OK);
}

void MainWindow::Search() {
  const std::string text = Utf8(WindowText(GetDlgItem(hwnd_, kText1)));
  std::string results, error;
  const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  // A text without MACs needs no listing, so it cannot fail for want of one.
  if (MacScanner(text).Next()) {
    const std::vector<std::string> places = ListingPlaces();
    const std::string database = FindListing(places);
    if (database.empty()) {
      error = NoListingMessage(places);
    } else if (const std::optional<ListingSet> listings =
                   ListingSet::Load(database, &error)) {
      results = SearchText(text, *listings, "\r\n");
    }
  }
  SetCursor(previous);
  if (!error.empty()) {
    ShowError(WithCrLf(Wide(error)) +
              L"\r\n\r\nЧтобы загрузить базу с сервера IEEE, нажмите «Обновить "
              L"базу MAC-адресов с сервера IEEE».");
    return;
  }
  ResultsWindow* window = TouchResults();
  window->Append(Wide(results));
  ShowWindow(window->hwnd(), SW_SHOW);
  SetForegroundWindow(window->hwnd());
}

void MainWindow::Update() {
  if (MessageBoxW(hwnd_,
                  L"Процесс может занять две-три минуты, программа может "
                  L"сделать вид, что висит, подождите вывода сообщения о "
                  L"завершении",
                  kTitle, MB_OKCANCEL) != IDOK) {
    return;
  }
  UpdateOptions options;
  options.database = UpdateTarget();
  std::error_code ignored;
  std::filesystem::create_directories(
      PathFromUtf8(options.database).parent_path(), ignored);
  UpdateResult result;
  {
    ProgressWindow progress(instance_, hwnd_, captions_);
    const std::unique_ptr<Transport> transport = MakeSystemTransport();
    result = UpdateDatabase(options, *transport, [&](std::int64_t received) {
      return progress.Pump(received);
    });
  }
  switch (result.status) {
    case UpdateStatus::kUpdated: {
      std::wstring text = L"Синхронизация завершена";
      if (!result.kept.empty()) {
        text += L"\r\nПрежними оставлены: ";
        for (std::size_t i = 0; i < result.kept.size(); ++i) {
          text += (i > 0 ? L"; " : L"") + Wide(result.kept[i]);
        }
      }
      MessageBoxW(hwnd_, text.c_str(), kTitle, MB_OK);
      break;
    }
    case UpdateStatus::kFailed:
      ShowError(Wide(result.message));
      break;
    case UpdateStatus::kCancelled:
      break;
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
    if (control && message.hwnd == GetDlgItem(hwnd_, kText1)) {
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

LRESULT CALLBACK MainWindow::Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(
                          reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
  }
  auto* self =
      reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, w, l);
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(w) == BN_CLICKED) {
        switch (LOWORD(w)) {
          case kCommand1:
            self->Search();
            return 0;
          case kCommand2:
            self->Exit();
            return 0;
          case kCommand3:
            self->Update();
            return 0;
        }
      }
      break;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(l);
      if (item->CtlID != kCommand3) break;
      RECT box = item->rcItem;
      DrawFrameControl(
          item->hDC, &box, DFC_BUTTON,
          DFCS_BUTTONPUSH |
              ((item->itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
      const std::wstring caption = WindowText(item->hwndItem);
      const HGDIOBJ old = SelectObject(item->hDC, self->captions_);
      SetBkMode(item->hDC, TRANSPARENT);
      SetTextColor(item->hDC, GetSysColor((item->itemState & ODS_DISABLED)
                                              ? COLOR_GRAYTEXT
                                              : COLOR_BTNTEXT));
      const int bevel_x = MulDiv(4, WindowDpi(hwnd), 96);
      const std::vector<std::wstring> lines =
          WrapAtSpaces(item->hDC, caption, box.right - box.left - 2 * bevel_x);
      TEXTMETRICW metrics{};
      GetTextMetricsW(item->hDC, &metrics);
      const int shift = (item->itemState & ODS_SELECTED) ? 1 : 0;
      int y = (box.top + box.bottom -
               static_cast<int>(lines.size()) * metrics.tmHeight) /
                  2 +
              shift;
      for (const std::wstring& line : lines) {
        RECT row{box.left + shift, y, box.right + shift, y + metrics.tmHeight};
        DrawTextW(item->hDC, line.c_str(), static_cast<int>(line.size()), &row,
                  DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
        y += metrics.tmHeight;
      }
      if (item->itemState & ODS_FOCUS) {
        RECT focus = box;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(item->hDC, &focus);
      }
      SelectObject(item->hDC, old);
      return TRUE;
    }
    case 0x02E0: {  // WM_DPICHANGED: lay out again for the new screen.
      self->LayOut(HIWORD(w));
      const auto* suggested = reinterpret_cast<const RECT*>(l);
      SetWindowPos(hwnd, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      self->hwnd_ = nullptr;
      if (--OpenWindows() == 0) PostQuitMessage(0);
      break;
  }
  return DefWindowProcW(hwnd, message, w, l);
}

}  // namespace venmark::win32

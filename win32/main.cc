// venmark.exe: the windows in the native Windows API.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

#include "app/main_presenter.h"
#include "app/texts.h"
#include "scan/text_codec.h"
#include "win32/main_form.h"
#include "win32/text.h"

namespace {

// The command line's arguments after the program's name, in UTF-8.
std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> utf8;
  for (int i = 1; args != nullptr && i < count; ++i) {
    utf8.push_back(venmark::Utf8FromWide(args[i]));
  }
  LocalFree(args);
  return utf8;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES |
                                                     ICC_BAR_CLASSES |
                                                     ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  // A program without a console says what --help and a wrong option ask
  // for in a message box.
  const venmark::GuiStart start = venmark::DecideGuiStart(Arguments(), true);
  if (start.action != venmark::GuiStart::Action::kRun) {
    const bool fail = start.action == venmark::GuiStart::Action::kFail;
    MessageBoxW(
        nullptr,
        venmark::win32::WithCrLf(venmark::WideFromUtf8(start.text)).c_str(),
        venmark::WideFromUtf8(venmark::text::kAppTitle).c_str(),
        MB_OK | (fail ? MB_ICONERROR : MB_ICONINFORMATION));
    return fail ? 1 : 0;
  }
  venmark::win32::MainWindow window(instance,
                                    {.listing = start.listing, .sources = {}});
  ShowWindow(window.hwnd(), show);
  UpdateWindow(window.hwnd());

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.hwnd() != nullptr && window.HandleKey(message)) continue;
    // Tab and Shift+Tab between the controls of whichever window it is.
    const HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (root != nullptr && IsDialogMessageW(root, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

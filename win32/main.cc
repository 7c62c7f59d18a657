// venmark.exe: the windows in the native Windows API.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <string>

#include "scan/text_codec.h"
#include "win32/main_form.h"

namespace {

// The listing named by "--db FILE" or "--db=FILE" on the command line, as
// venmark-scan takes it; empty when none is.
std::string NamedListing() {
  int count = 0;
  wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
  std::string named;
  for (int i = 1; args != nullptr && i < count; ++i) {
    const std::wstring arg = args[i];
    if (arg == L"--db" && i + 1 < count) {
      named = venmark::Utf8FromWide(args[++i]);
    } else if (arg.starts_with(L"--db=")) {
      named = venmark::Utf8FromWide(arg.substr(5));
    }
  }
  LocalFree(args);
  return named;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&controls);
  venmark::win32::MainWindow window(instance, NamedListing());
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

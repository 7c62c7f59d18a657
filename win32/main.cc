// venmark.exe: the windows in the native Windows API.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "win32/forms.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  venmark::win32::MainWindow::RegisterWindowClass(instance);
  venmark::win32::MainWindow window(instance);
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

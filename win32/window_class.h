#pragma once

#include <windows.h>

namespace venmark::win32 {

// The window procedure of windows whose object (passed as the creation
// parameter) handles their messages in HandleMessage; after WM_NCDESTROY
// the object hears nothing more.
template <typename Window>
LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(
                          reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams));
  }
  auto* self =
      reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, w, l);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return self->HandleMessage(hwnd, message, w, l);
}

// Registers, once, the class called name whose windows are handled by
// Window; icon is a resource number, or 0 for none.
template <typename Window>
void RegisterWindowClass(HINSTANCE instance, const wchar_t* name,
                         int icon = 0) {
  static const bool registered = [&] {
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WindowProc<Window>;
    window_class.hInstance = instance;
    if (icon != 0) {
      window_class.hIcon = static_cast<HICON>(
          LoadImageW(instance, MAKEINTRESOURCEW(icon), IMAGE_ICON, 32, 32, 0));
      window_class.hIconSm = static_cast<HICON>(
          LoadImageW(instance, MAKEINTRESOURCEW(icon), IMAGE_ICON, 16, 16, 0));
    }
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = name;
    return RegisterClassExW(&window_class) != 0;
  }();
  (void)registered;
}

// Windows that are open; the program ends when the last one closes.
int& OpenWindows();

}  // namespace venmark::win32

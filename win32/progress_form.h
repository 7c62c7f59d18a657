#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace venmark::win32 {

// A small window with the download's progress and «Отмена», modal to its
// owner for as long as it lives; the update calls Pump from its progress
// callback, which keeps every window painted.
class ProgressWindow {
 public:
  ProgressWindow(HINSTANCE instance, HWND owner, HFONT font);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // Shows how much has arrived and lets the windows work; false once
  // «Отмена» has been pressed.
  bool Pump(std::int64_t received);

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l);

 private:
  HWND owner_;
  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  HWND cancel_ = nullptr;
  std::wstring shown_;
  bool cancelled_ = false;
};

}  // namespace venmark::win32

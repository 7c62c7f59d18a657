#pragma once

#include <windows.h>

#include <string>

#include "app/main_view.h"

namespace venmark::win32 {

// The progress window (ProgressFormLayout): what arrives, a bar and
// «Отмена», modal to its owner for as long as it lives. The update reports
// from its progress callback, which keeps every window painted.
class ProgressWindow : public ProgressView {
 public:
  ProgressWindow(HINSTANCE instance, HWND owner, HFONT font);
  ~ProgressWindow() override;
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // ProgressView.
  bool Show(std::string_view text, double done) override;

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l);

 private:
  HWND owner_;
  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  HWND bar_ = nullptr;
  std::wstring shown_;
  bool busy_ = false;
  bool cancelled_ = false;
};

}  // namespace venmark::win32

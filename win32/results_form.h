#pragma once

#include <windows.h>

#include <string>

namespace venmark::win32 {

// The results window (Form2): the lines of every search made while it
// stays open. Destroys itself, text and all, when closed.
class ResultsWindow {
 public:
  // A new window, hidden, in the caption and text fonts given.
  static ResultsWindow* Create(HINSTANCE instance, HFONT captions, HFONT text,
                               int dpi);
  HWND hwnd() const { return hwnd_; }

  // Appends result lines (CR LF) in one edit, on a line of their own, and
  // shows the first of them.
  void Append(const std::wstring& lines);

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l);

 private:
  HWND hwnd_ = nullptr;
  HWND text_ = nullptr;
  int dpi_ = 96;
  double factor_ = 1;
};

}  // namespace venmark::win32

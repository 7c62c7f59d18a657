#pragma once

#include <windows.h>

#include <string>

#include "app/main_view.h"

namespace venmark::win32 {

// The results window (Form2): the lines of every search made while it
// stays open. Destroys itself, text and all, when closed.
class ResultsWindow : public ResultsView {
 public:
  // A new window, hidden, in the caption and text fonts given.
  static ResultsWindow* Create(HINSTANCE instance, HFONT captions, HFONT text,
                               int dpi);
  HWND hwnd() const { return hwnd_; }
  // The results window whose handle is hwnd while it is open; null once
  // it is closed (it deletes itself then) or for any other window.
  static ResultsWindow* Of(HWND hwnd);

  // ResultsView.
  std::string Text() const override;
  void Append(std::string_view text, std::size_t first) override;
  Pixels Frame() const override;
  int FrameWidthFor(std::string_view lines) const override;
  void SetFrameWidth(int width) override;
  void MoveTo(int left, int top) override;
  void ShowAndRaise() override;

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l);

 private:
  HWND hwnd_ = nullptr;
  HWND text_ = nullptr;
  int dpi_ = 96;
  double factor_ = 1;
};

}  // namespace venmark::win32

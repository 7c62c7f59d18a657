#pragma once

#include <windows.h>

#include <string>

#include "win32/results_form.h"

namespace venmark::win32 {

// The main window (Form1): the text to search, and the buttons for the
// search, the update and the exit.
class MainWindow {
 public:
  // database: the MA-L listing the user named (UTF-8), or empty.
  MainWindow(HINSTANCE instance, std::string database);
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

  void Search();
  void Update();
  void Exit();

  // Keys the dialog manager does not know: Ctrl+A in a text box, Ctrl+Return
  // in the input box, Return on a button, Tab out of a text box. True when
  // the message was handled.
  bool HandleKey(const MSG& message);

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l);

 private:
  // Lays the window out for a screen of dpi: fonts, scale and size.
  void LayOut(int dpi);
  ResultsWindow* TouchResults();
  HWND Control(const char* name) const;
  // Names the listing in use with its day in the credits line, in a
  // warning colour and with a hint when it is old.
  void ShowListingAge();

  HINSTANCE instance_;
  std::string database_;
  HWND hwnd_ = nullptr;
  HFONT captions_ = nullptr;
  HFONT text_font_ = nullptr;
  ResultsWindow* results_ = nullptr;
  HWND tooltip_ = nullptr;
  std::wstring tip_;
  bool listing_old_ = false;
};

}  // namespace venmark::win32

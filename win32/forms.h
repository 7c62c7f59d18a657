#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "update/database_update.h"

namespace venmark::win32 {

// Control identifiers: the names Form1, Text1, Command1... of the Qt
// windows, as numbers (far from IDOK and IDCANCEL, which the dialog manager
// sends for Enter and Escape).
enum Control : int {
  kText1 = 1001,
  kCommand1,
  kLabel2,
  kCommand2,
  kLabel1,
  kCommand3,
  kFrame1 = 2001,
  kResultsText1,
};

// "Результаты поиска" (Form2): the lines of every search made while it
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

  static void RegisterWindowClass(HINSTANCE instance);

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  HWND hwnd_ = nullptr;
  HWND text_ = nullptr;
};

// The main window (Form1): the text to search, and the buttons for the
// search, the update and the exit.
class MainWindow {
 public:
  explicit MainWindow(HINSTANCE instance);
  ~MainWindow();
  HWND hwnd() const { return hwnd_; }

  void Search();
  void Update();
  void Exit();

  // Keys the dialog manager does not know: Ctrl+A in a text box, Ctrl+Return
  // in the input box, Return on a button, Tab out of a text box. True when
  // the message was handled.
  bool HandleKey(const MSG& message);

  static void RegisterWindowClass(HINSTANCE instance);

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  void LayOut(int dpi);
  ResultsWindow* TouchResults();
  void ShowError(const std::wstring& text);

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HFONT captions_ = nullptr;
  HFONT text_font_ = nullptr;
  ResultsWindow* results_ = nullptr;
};

// Windows that are open; the program ends when the last one closes.
int& OpenWindows();

}  // namespace venmark::win32

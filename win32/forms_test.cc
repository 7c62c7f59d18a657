// The Win32 windows as a screen reader and a user resizing them meet them;
// run under Wine.
// clang-format off
#include <windows.h>
#include <oleacc.h>
#include <commctrl.h>
// clang-format on

#include <gtest/gtest.h>

#include <memory>

#include "app/texts.h"
#include "app/window_layout.h"
#include "scan/text_codec.h"
#include "win32/controls.h"
#include "win32/main_form.h"
#include "win32/results_form.h"

namespace venmark::win32 {
namespace {

class Win32FormsTest : public testing::Test {
 protected:
  HINSTANCE instance_ = GetModuleHandleW(nullptr);
};

// MSAA names an edit by the label right before it in z-order: the input
// box by its instruction, the results box by a label of no size; the tab
// order stays as drawn. (Wine's oleacc has no accessible object for an edit
// to read the name back from; on Windows the test reads it too.)
TEST_F(Win32FormsTest, BoxesAreNamedForScreenReaders) {
  MainWindow main(instance_, {});
  const FormLayout& layout = MainFormLayout();
  const HWND input = FindControl(layout, main.hwnd(), "Text1");
  const HWND prompt = GetWindow(input, GW_HWNDPREV);
  EXPECT_EQ(prompt, FindControl(layout, main.hwnd(), "Label2"));
  EXPECT_EQ(Utf8FromWide(WindowText(prompt)), text::kPrompt);
  HWND focus = input;
  for (const char* next : {"Command1", "Command2", "Command3", "Text1"}) {
    focus = GetNextDlgTabItem(main.hwnd(), focus, FALSE);
    EXPECT_EQ(focus, FindControl(layout, main.hwnd(), next)) << next;
  }
  const GdiFonts fonts(96);
  const HFONT font = fonts.Create(0, 9);
  ResultsWindow* results = ResultsWindow::Create(instance_, font, font, 96);
  const HWND box = FindControl(ResultsFormLayout(), results->hwnd(), "Text1");
  const HWND label = GetWindow(box, GW_HWNDPREV);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(Utf8FromWide(WindowText(label)), text::kResultsTitle);

  for (const auto& [control, name] :
       {std::pair(input, text::kPrompt), std::pair(box, text::kResultsTitle)}) {
    IAccessible* accessible = nullptr;
    if (AccessibleObjectFromWindow(
            control, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
            reinterpret_cast<void**>(&accessible)) != S_OK) {
      continue;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR read = nullptr;
    EXPECT_EQ(accessible->get_accName(self, &read), S_OK);
    if (read != nullptr) {
      EXPECT_EQ(Utf8FromWide(read), name);
      SysFreeString(read);
    }
    accessible->Release();
  }
  DestroyWindow(results->hwnd());
  DestroyWindow(main.hwnd());
  DeleteObject(font);
}

// The results window deletes itself when closed: the main window then
// finds none open and makes a new one, twice over, and leaves with
// «Выход» with it closed and with it open, reading no freed memory.
TEST_F(Win32FormsTest, AClosedResultsWindowIsNoneAndANewOneIsMade) {
  for (const bool open_at_exit : {false, true}) {
    MainWindow main(instance_, {});
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(main.OpenResults(), nullptr);
      ResultsView* results = main.CreateResults();
      ASSERT_NE(results, nullptr);
      EXPECT_EQ(main.OpenResults(), results);
      DestroyWindow(static_cast<ResultsWindow*>(results)->hwnd());
      EXPECT_EQ(main.OpenResults(), nullptr);
    }
    if (open_at_exit) {
      ASSERT_NE(main.CreateResults(), nullptr);
    }
    main.CloseAll();
    EXPECT_EQ(main.OpenResults(), nullptr);
  }
}

TEST_F(Win32FormsTest, TheResultsBoxGrowsWithItsWindow) {
  const GdiFonts fonts(96);
  const HFONT font = fonts.Create(0, 9);
  ResultsWindow* results = ResultsWindow::Create(instance_, font, font, 96);
  const FormLayout& layout = ResultsFormLayout();
  const HWND box = FindControl(layout, results->hwnd(), "Text1");
  const HWND frame = FindControl(layout, results->hwnd(), "Frame1");
  RECT window{}, box_before{}, frame_before{};
  GetWindowRect(results->hwnd(), &window);
  GetWindowRect(box, &box_before);
  GetWindowRect(frame, &frame_before);
  EXPECT_TRUE(GetWindowLongPtrW(results->hwnd(), GWL_STYLE) & WS_THICKFRAME);
  SetWindowPos(results->hwnd(), nullptr, 0, 0, window.right - window.left + 200,
               window.bottom - window.top + 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT box_after{}, frame_after{};
  GetWindowRect(box, &box_after);
  GetWindowRect(frame, &frame_after);
  EXPECT_EQ(box_after.right - box_after.left,
            box_before.right - box_before.left + 200);
  EXPECT_EQ(box_after.bottom - box_after.top,
            box_before.bottom - box_before.top + 100);
  EXPECT_EQ(frame_after.right - frame_after.left,
            frame_before.right - frame_before.left + 200);
  DestroyWindow(results->hwnd());
  DeleteObject(font);
}

// Keys reach the presenter from the message loop: Ctrl+A selects a box's
// text, Tab leaves it, Return presses a button; the rest stay the box's.
TEST_F(Win32FormsTest, KeysGoToThePresenter) {
  MainWindow main(instance_, {});
  const FormLayout& layout = MainFormLayout();
  const HWND input = FindControl(layout, main.hwnd(), "Text1");
  SetWindowTextW(input, L"00-1a-2b-00-00-01");
  const auto press = [&](HWND control, WPARAM key) {
    MSG message{};
    message.hwnd = control;
    message.message = WM_KEYDOWN;
    message.wParam = key;
    return main.HandleKey(message);
  };
  EXPECT_FALSE(press(input, 'B'));
  EXPECT_FALSE(press(input, 'A'));  // without Ctrl: a letter
  BYTE keys[256]{};
  ASSERT_TRUE(GetKeyboardState(keys));
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  EXPECT_TRUE(press(input, 'A'));
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  DWORD start = 1, end = 0;
  SendMessageW(input, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 17u);
  SetFocus(input);
  EXPECT_TRUE(press(input, VK_TAB));
  EXPECT_EQ(GetFocus(), FindControl(layout, main.hwnd(), "Command1"));
  DestroyWindow(main.hwnd());
}

// The update's progress window is made from its layout: the text it is
// told, a real bar, and «Отмена» cancelling.
TEST_F(Win32FormsTest, ProgressWindowShowsWhatItIsToldAndCancels) {
  // Windows closed by the tests before posted the end of the program.
  MSG quit;
  while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  MainWindow main(instance_, {});
  std::unique_ptr<ProgressView> progress = main.OpenProgress();
  const FormLayout& layout = ProgressFormLayout();
  const HWND window = FindWindowW(WideFromUtf8(layout.name).c_str(), nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowEnabled(main.hwnd()));  // modal to its owner
  EXPECT_TRUE(progress->Show("Загрузка\nПолучено 1 КБ", 0.25));
  EXPECT_EQ(Utf8FromWide(WindowText(FindControl(layout, window, "Label1"))),
            "Загрузка\r\nПолучено 1 КБ");
  const HWND bar = FindControl(layout, window, "Progress1");
  wchar_t kind[32] = L"";
  GetClassNameW(bar, kind, 32);
  EXPECT_EQ(std::wstring(kind), L"msctls_progress32");
  EXPECT_EQ(SendMessageW(bar, PBM_GETPOS, 0, 0), 250);
  SendMessageW(FindControl(layout, window, "Command1"), BM_CLICK, 0, 0);
  EXPECT_FALSE(progress->Show("Загрузка", 0.5));
  progress.reset();
  EXPECT_TRUE(IsWindowEnabled(main.hwnd()));
  DestroyWindow(main.hwnd());
}

}  // namespace
}  // namespace venmark::win32

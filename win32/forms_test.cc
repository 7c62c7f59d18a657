// The Win32 windows as a screen reader and a user resizing them meet them;
// run under Wine.
// clang-format off
#include <windows.h>
#include <oleacc.h>
// clang-format on

#include <gtest/gtest.h>

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
  MainWindow main(instance_, "");
  const FormLayout& layout = MainFormLayout();
  const HWND input = FindControl(layout, main.hwnd(), "Text1");
  EXPECT_EQ(GetWindow(input, GW_HWNDPREV),
            FindControl(layout, main.hwnd(), "Label2"));
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

}  // namespace
}  // namespace venmark::win32

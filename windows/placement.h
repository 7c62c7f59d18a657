#pragma once

namespace venmark {

// A rectangle of screen pixels; right and bottom are one past the edge.
struct ScreenBox {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

// Where the results window (its frame width x height) goes beside the main
// window's frame on screen: right of it, else left, else below, else where
// it hides the least of the main window, covering its button row only when
// nothing else will do. Shared by the Qt and the Win32 windows.
ScreenBox PlaceResults(const ScreenBox& main, const ScreenBox& button_row,
                       int width, int height, const ScreenBox& screen);

}  // namespace venmark

#pragma once

#include "app/pixels.h"

namespace venmark {

// Where the results window (its frame width x height) goes beside the main
// window's frame on screen: right of it, else left, else below, else where
// it hides the least of the main window, covering its button row only when
// nothing else will do. Shared by the Qt and the Win32 windows.
Pixels PlaceResults(const Pixels& main, const Pixels& button_row, int width,
                    int height, const Pixels& screen);

// The results window's frame width once it shows lines needing `wanted`:
// wide enough for them where the work area has room, never narrower than
// now.
int ResultsWidth(int now, int wanted, const Pixels& work_area);

// Where the progress window (its frame width x height) goes: centred on the
// main window's frame, moved as little as it takes to stand whole in the
// work area (its top left corner in it when it is larger).
Pixels PlaceProgress(const Pixels& main, int width, int height,
                     const Pixels& work_area);

}  // namespace venmark

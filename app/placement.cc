#include "app/placement.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace venmark {
namespace {

bool Intersects(const Pixels& a, const Pixels& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom &&
         b.top < a.bottom;
}

std::int64_t Overlap(const Pixels& a, const Pixels& b) {
  const int w = std::min(a.right, b.right) - std::max(a.left, b.left);
  const int h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? std::int64_t{w} * h : 0;
}

}  // namespace

Pixels PlaceResults(const Pixels& main, const Pixels& button_row, int width,
                    int height, const Pixels& screen) {
  constexpr int kGap = 8;
  const auto at = [&](int x, int y) {
    x = std::clamp(x, screen.left, std::max(screen.left, screen.right - width));
    y = std::clamp(y, screen.top, std::max(screen.top, screen.bottom - height));
    return Pixels{x, y, x + width, y + height};
  };
  const auto on_screen = [&](const Pixels& box) {
    return box.left >= screen.left && box.top >= screen.top &&
           box.right <= screen.right && box.bottom <= screen.bottom;
  };
  // Beside on the right, else on the left, else below: wherever it fits
  // whole without touching the main window.
  for (const Pixels& box :
       {at(main.right + kGap, main.top), at(main.left - kGap - width, main.top),
        at(main.left, main.bottom + kGap)}) {
    if (on_screen(box) && !Intersects(box, main)) return box;
  }
  // Else where it hides the least of the main window, its buttons last.
  const auto cost = [&](const Pixels& box) {
    return std::pair(Intersects(box, button_row), Overlap(box, main));
  };
  Pixels best = at(main.left, main.top);
  for (const int x :
       {screen.left, main.left, main.right + kGap, screen.right - width}) {
    for (const int y : {screen.top, main.top, screen.bottom - height}) {
      const Pixels box = at(x, y);
      if (cost(box) < cost(best)) best = box;
    }
  }
  return best;
}

int ResultsWidth(int now, int wanted, const Pixels& work_area) {
  return std::max(now, std::min(wanted, work_area.width()));
}

Pixels PlaceProgress(const Pixels& main, int width, int height,
                     const Pixels& work_area) {
  // Along one axis: centred on [low, high), then inside [first, last).
  auto place = [](int low, int high, int size, int first, int last) {
    const int centred = low + (high - low - size) / 2;
    return std::max(first, std::min(centred, last - size));
  };
  const int left =
      place(main.left, main.right, width, work_area.left, work_area.right);
  const int top =
      place(main.top, main.bottom, height, work_area.top, work_area.bottom);
  return {left, top, left + width, top + height};
}

}  // namespace venmark

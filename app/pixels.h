#pragma once

namespace venmark {

// A rectangle of pixels; right and bottom are one past the edge.
struct Pixels {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
};

}  // namespace venmark

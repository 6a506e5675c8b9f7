// Places on a canvas: a point and a rectangle, in the canvas's units (pixels, or character
// cells on a terminal).
#pragma once

#include <cstdint>

// Covers left <= x < right and top <= y < bottom.
struct Rect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
};

struct Point {
  std::int32_t x;
  std::int32_t y;
};

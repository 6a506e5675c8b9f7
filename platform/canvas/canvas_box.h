// Rectangles of a canvas in whole picture elements (pixels or character cells) and their
// clipping, shared by the kinds of canvas. Callers' rectangles come from arbitrary 32-bit
// coordinates and offsets between two canvases, so clipping takes 64-bit edges and every
// edge it returns lies within the limit: the result always fits an int and indexes the
// canvas. Platform-internal.
#pragma once

#include <algorithm>
#include <cstdint>

struct CanvasBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

// The part of [left, right) x [top, bottom) that lies inside `limit`. Each edge is brought
// within the limit's own edges, so a rectangle beyond the limit, or one whose edges are
// crossed, gives an empty box (Empty() is then true).
inline CanvasBox ClipBox(std::int64_t left, std::int64_t top, std::int64_t right,
                         std::int64_t bottom, const CanvasBox& limit) {
  const auto within = [](std::int64_t edge, int low, int high) {
    // max after min: a crossed limit (low > high) yields low, never a value outside it.
    return static_cast<int>(std::max<std::int64_t>(low, std::min<std::int64_t>(edge, high)));
  };
  return CanvasBox{within(left, limit.left, limit.right), within(top, limit.top, limit.bottom),
                   within(right, limit.left, limit.right), within(bottom, limit.top, limit.bottom)};
}

// The block of width x height at (x, y) that lies inside `limit`, as Canvas::Blit copies it;
// a negative side counts as 0.
inline CanvasBox ClipBlock(int x, int y, int width, int height, const CanvasBox& limit) {
  return ClipBox(x, y, std::int64_t{x} + std::max(width, 0), std::int64_t{y} + std::max(height, 0),
                 limit);
}

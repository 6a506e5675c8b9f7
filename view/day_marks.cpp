#include "view/day_marks.h"

#include <algorithm>

namespace {

constexpr std::int32_t kCellPerMark = 4;    // a mark is at most a quarter of the cell
constexpr std::int32_t kCellPerInset = 32;  // and this far from its edges and the number

std::int32_t ShorterSide(const Rect& rect) {
  return std::min(rect.right - rect.left, rect.bottom - rect.top);
}

bool Overlap(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A run of pixels of one row of a shape: [begin, end).
void FillRun(Canvas& canvas, Rgb colour, const Rect& square, std::int32_t y, std::int32_t begin,
             std::int32_t end) {
  canvas.Fill(Rect{square.left + begin, square.top + y, square.left + end, square.top + y + 1},
              colour);
}

void DrawShape(Canvas& canvas, const Rect& square, MarkShape shape, Rgb colour) {
  const std::int32_t side = square.right - square.left;
  for (std::int32_t y = 0; y < side; ++y) {
    std::int32_t begin = -1;  // the first pixel of the run being gathered, -1: none
    for (std::int32_t x = 0; x <= side; ++x) {
      const bool inside = x < side && InMarkShape(shape, x, y, side);
      if (inside && begin < 0) begin = x;
      if (!inside && begin >= 0) {
        FillRun(canvas, colour, square, y, begin, x);
        begin = -1;
      }
    }
  }
}

// A glyph takes one character cell: the last of the cell on the number's line, else the last
// of its top line; none when the number reaches both.
void DrawGlyph(Canvas& canvas, const Rect& cell, const Rect& number_ink, const DayMark& mark,
               Rgb fill) {
  const Rect beside{cell.right - 1, number_ink.top, cell.right, number_ink.bottom};
  const Rect above{cell.right - 1, cell.top, cell.right, cell.top + 1};
  const Rect* place = nullptr;
  for (const Rect* candidate : {&beside, &above}) {
    if (place == nullptr && candidate->left >= cell.left && candidate->top >= cell.top &&
        candidate->bottom <= cell.bottom && candidate->top < candidate->bottom &&
        !Overlap(*candidate, number_ink)) {
      place = candidate;
    }
  }
  if (place == nullptr) return;
  canvas.DrawTextCentred(*place, std::u16string_view(&mark.glyph, 1), mark.colour, fill);
}

}  // namespace

Rect MarkSquare(const Rect& cell, const Rect& number_ink) {
  const std::int32_t inset = std::max(1, ShorterSide(cell) / kCellPerInset);
  const std::int32_t right = cell.right - inset;
  const std::int32_t top = cell.top + inset;
  // The square may sit beside the number or above it, whichever leaves the more room;
  // either way `inset` apart from it.
  const std::int64_t beside = std::int64_t{right} - inset - number_ink.right;
  const std::int64_t above = std::int64_t{number_ink.top} - inset - top;
  std::int64_t side =
      std::min<std::int64_t>(ShorterSide(cell) / kCellPerMark, std::max(beside, above));
  if (side % 2 == 0) --side;
  if (side < kMinMarkSide) return Rect{right, top, right, top};
  const auto length = static_cast<std::int32_t>(side);
  return Rect{right - length, top, right, top + length};
}

bool InMarkShape(MarkShape shape, std::int32_t x, std::int32_t y, std::int32_t side) {
  // Pixel centres relative to the square's middle, in units of half a pixel: u and v run
  // over (-side, side), so the shapes are symmetric and need no fractions.
  const std::int64_t u = 2 * std::int64_t{x} + 1 - side;
  const std::int64_t v = 2 * std::int64_t{y} + 1 - side;
  const std::int64_t s = side;
  const std::int64_t radius_squared = u * u + v * v;
  switch (shape) {
    case MarkShape::kTriangle:  // apex at the top middle, base along the bottom
      return v + s >= 2 * (u < 0 ? -u : u);
    case MarkShape::kDot:
      return radius_squared <= s * s;
    case MarkShape::kDiamond:
      return (u < 0 ? -u : u) + (v < 0 ? -v : v) <= s;
    case MarkShape::kRing:  // a disc with a hole of 0.6 of its diameter
      return radius_squared <= s * s && 25 * radius_squared >= 9 * s * s;
    case MarkShape::kNone:
      break;
  }
  return false;
}

void DrawDayMark(Canvas& canvas, const Rect& cell, const Rect& number_ink, DayClass day_class) {
  const DayMark mark = MarkOf(day_class);
  if (canvas.HoldsCharacters()) {
    if (mark.glyph != u' ') DrawGlyph(canvas, cell, number_ink, mark, ColoursOf(day_class).fill);
    return;
  }
  if (mark.shape == MarkShape::kNone) return;
  const Rect square = MarkSquare(cell, number_ink);
  if (square.right > square.left) DrawShape(canvas, square, mark.shape, mark.colour);
}

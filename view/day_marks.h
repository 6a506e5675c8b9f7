// Day marks: the mark of a day's class (view/day_class.h) drawn in its cell of the month
// view, so that the class can be told by shape as well as by colour. The one drawing serves
// every kind of picture: on pixels the mark is a shape in the cell's top right corner, made
// of solid fills and sized with the cell; on character cells it is the class's glyph in the
// cell's last column, on the line of the day number. A mark never covers the number: it goes
// only where the number's glyphs leave room, and is left out where none is left.
//
// Example (a 68 x 66 cell whose number's glyphs cover (15, 19, 53, 45)):
//   MarkSquare(Rect{0, 0, 68, 66}, Rect{15, 19, 53, 45}) == Rect{51, 2, 66, 17}
#pragma once

#include <cstdint>

#include "platform/canvas/canvas.h"
#include "view/day_class.h"

// The smallest side a shape is drawn at: below it the shapes are no longer told apart.
constexpr std::int32_t kMinMarkSide = 3;

// The square in the top right corner of `cell` that a shape is drawn in, clear of
// `number_ink` (the box of the number's glyphs) by a gap: a quarter of the cell's shorter
// side at most, odd so that every shape has a middle pixel. Empty (right == left) when less
// than kMinMarkSide fits.
Rect MarkSquare(const Rect& cell, const Rect& number_ink);

// Whether pixel (x, y), 0 <= x, y < side, of a mark's square belongs to `shape`.
bool InMarkShape(MarkShape shape, std::int32_t x, std::int32_t y, std::int32_t side);

// Draws the mark of `day_class` in `cell` of `canvas`, clear of `number_ink`, the box of the
// day number's glyphs (Canvas::TextInk). Nothing for a class without a mark, or where the
// cell leaves no room.
void DrawDayMark(Canvas& canvas, const Rect& cell, const Rect& number_ink, DayClass day_class);

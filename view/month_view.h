// The month view: paints the month of the state's selected date as a grid of seven columns
// and eight rows (view/month_layout.h). Row 0 shows "<", the month title and ">"; row 1 the
// weekday initials on blue (view/weekday_headers.h); rows 2 to 7 the days, the selected day
// dark blue, and, once a last period is known, the menstrual days red and the fertile days
// green (the most fertile and the first menstrual day in the brighter shade) with yellow
// numbers. With the state's DayMarks set, each of those days also carries the mark of its
// class (view/day_marks.h); without, not a pixel differs.
// The picture is composed off-screen and reaches the screen in one block copy. The paint says
// where the selected day's number stands, the focus, where screen readers look.
#pragma once

#include <cstdint>
#include <optional>

#include "model/calendar_state.h"
#include "platform/canvas/canvas.h"
#include "platform/canvas/colours.h"

// The month view's colours: white, black, blue and dark blue
// (platform/canvas/colours.h) and these.
constexpr Rgb kGreen = Rgb{0, 255, 0};
constexpr Rgb kDarkGreen = Rgb{0, 128, 0};
constexpr Rgb kRed = Rgb{255, 0, 0};
constexpr Rgb kDarkRed = Rgb{128, 0, 0};
constexpr Rgb kYellow = Rgb{255, 255, 0};

// What a paint laid out, which taps are tested against: the cell size, whether the screen
// holds character cells (a terminal), and the box of the selected day's number (its cell's
// corner where no glyph shows), none when no day is drawn as selected.
struct MonthPaint {
  std::int32_t cell_width = 0;
  std::int32_t cell_height = 0;
  bool characters = false;
  std::optional<Rect> focus;
};

// Paints the whole of `screen` from the state's selected date and cycle fields. Any size,
// 0 x 0 included, is painted without fault.
MonthPaint PaintMonth(Canvas& screen, const CalendarState& state);

// As PaintMonth, with no day drawn as selected: every day shows its class. For a month shown
// for reading rather than for choosing a day (the month printed as text).
MonthPaint PaintMonthUnselected(Canvas& screen, const CalendarState& state);

// The month view: paints the month of AppState.SelectedDate as a grid of seven columns and
// eight rows (view/month_layout.h). Row 0 shows "<", the month title and ">"; row 1 the
// weekday initials on blue (view/weekday_headers.h); rows 2 to 7 the days, the selected
// day dark blue, and, once a last period is known, the menstrual days red and the fertile
// days green (the most fertile and the first menstrual day in the brighter shade) with
// yellow numbers. With AppState.DayMarks set, each of those days also carries the mark of
// its class (view/day_marks.h); without, not a pixel differs.
// The picture is composed off-screen and reaches the window in one block copy. The caret
// (platform/ui/window.h) is put on the selected day's number, where screen readers look.
#pragma once

#include "platform/canvas/colours.h"
#include "platform/ui/win_types.h"
#include "platform/ui/window.h"

// The month view's colours: white, black, blue and dark blue
// (platform/canvas/colours.h) and these.
constexpr Rgb kGreen = Rgb{0, 255, 0};
constexpr Rgb kDarkGreen = Rgb{0, 128, 0};
constexpr Rgb kRed = Rgb{255, 0, 0};
constexpr Rgb kDarkRed = Rgb{128, 0, 0};
constexpr Rgb kYellow = Rgb{255, 255, 0};

// Paints the whole client area of `window` for WM_PAINT: stores ClientRect, CellWidth and
// CellHeight in AppState first, then draws from SelectedDate and the cycle fields. Any
// client size, 0 x 0 included, is painted without fault. Returns 0.
LRESULT PaintMonth(HWND window);

// As PaintMonth, with no day drawn as selected: every day shows its class. For a month shown
// for reading rather than for choosing a day (the month printed as text). Returns 0.
LRESULT PaintMonthUnselected(HWND window);

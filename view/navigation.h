// Selection and navigation in the month view: key presses and taps move the state's
// SelectedDate by a day or a month, or open the day report; they say when the month must be
// painted again. Taps are hit-tested against the cells of the last paint (MonthPaint); cell
// edges are inclusive and the earlier target wins. On a screen of character cells (a
// terminal) a tap covers its whole character and is tested at the character's middle, which
// lies on no edge: the character's own cell takes it. Every change keeps the time of day of
// SelectedDate as it was.
//
// Keys: Enter report; Left previous month; Up previous day; Right next month; Down next day;
// any other key nothing.
#pragma once

#include <cstdint>

#include "model/calendar_state.h"
#include "platform/dates/civil_day.h"
#include "platform/ui/events.h"
#include "view/month_view.h"

// Handles a key pressed: Enter shows the day report, the arrows move the selection. True when
// the selection moved and the month is to be painted again.
bool HandleKey(CalendarState& state, Key key);

// Handles a tap at client point (x, y) on the month that `painted` laid out. True when the
// selection moved. Does nothing while that paint left a cell width or height of 0.
bool HandleTap(CalendarState& state, const MonthPaint& painted, std::int32_t x, std::int32_t y);

// The date one month earlier, the day clamped to the new month's length, the time unchanged;
// January of year 0 is followed by December 65535 and back. 31 March 2024 -> 29 February 2024.
LocalDateTime PreviousMonth(LocalDateTime date);

// The date one month later, as PreviousMonth. 31 January 2024 -> 29 February 2024.
LocalDateTime NextMonth(LocalDateTime date);

// The day of the selected month whose cell of `painted` holds the point (x, y), or 0 for
// none; the earlier day wins on a shared edge. 0 while the cell width or height is 0.
std::int32_t DayAtPoint(const CalendarState& state, const MonthPaint& painted, std::int32_t x,
                        std::int32_t y);

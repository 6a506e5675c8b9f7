// Selection and navigation in the month view: key presses and taps move
// AppState.SelectedDate by a day or a month, or open the day report, and ask for a repaint
// of the whole window without erasing. Taps are hit-tested against the cell size that the
// last paint stored (AppState.CellWidth, AppState.CellHeight); cell edges are inclusive and
// the earlier target wins. On a screen of character cells (a terminal) a tap covers its
// whole character and is tested at the character's middle, which lies on no edge: the
// character's own cell takes it. Every change keeps SelectedDate valid: month 1 to 12, day within
// its month, wDayOfWeek its weekday; the time-of-day fields are never touched.
//
// Keys: Enter 0x0D report; Left 0x25 previous month; Up 0x26 previous day; Right 0x27 next
// month; Down 0x28 next day; any other code nothing.
#pragma once

#include <cstdint>

#include "platform/ui/win_types.h"
#include "platform/ui/window.h"

// Handles a key pressed: Enter shows the day report, the arrows move the selection. Returns 0
// for every key.
LRESULT HandleKey(HWND window, Key key_code);

// Handles WM_LBUTTONDOWN with the position from its second parameter (x in the low, y in
// the high 16 bits, unsigned client pixels). Returns 0 for every position; does nothing
// while the last paint left a cell width or height of 0.
LRESULT HandleTap(HWND window, LPARAM position);

// The date one month earlier, the day clamped to the new month's length, the weekday
// recomputed; the time fields unchanged. 31 March 2024 -> 29 February 2024.
SYSTEMTIME PreviousMonth(SYSTEMTIME date);

// The date one month later, as PreviousMonth. 31 January 2024 -> 29 February 2024.
SYSTEMTIME NextMonth(SYSTEMTIME date);

// The day of SelectedDate's month whose cell holds the point (x, y), or 0 for none; the
// earlier day wins on a shared edge. 0 while the cell width or height is 0.
std::int32_t DayAtPoint(std::int32_t x, std::int32_t y);

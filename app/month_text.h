// The month on display as text, in the manner of cal(1): the title, the weekday initials and
// the weeks, painted by PaintMonth on a cell canvas three cells wide and three high per grid
// cell and printed one text line per grid row. With colour every cell keeps the view's own
// colours (24-bit SGR). Without colour, or with the state's DayMarks set, the view follows each
// day's number with the glyph of its class (view/day_marks.h). A legend under the grid says
// what the colours, the marks or both mean.
//
// Example (May 2024, last period 1 May, no colour, nothing selected):
//        May 2024
//    S  M  T  W  T  F  S
//             1# 2+ 3+ 4+
//    5+ 6  7  8  9 10 11
//   ...
#pragma once

#include <string>

#include "model/calendar_state.h"

// The month of the state's SelectedDate with its settings; its day is drawn as selected when
// `show_selection` is set. Lines end in "\n".
std::string MonthText(const CalendarState& state, bool show_selection, bool colour);

// The classes of a day in the month view: what PaintMonth shows for a day, the colours it
// paints each class in, and a mark that tells the class apart where no colour can be shown
// (a month printed as plain text). Every output that shows a day's class takes it from here,
// so the window, the terminal and the printed month cannot disagree.
//
// Example (initial settings, LastPeriod 1 March 2024, March 2024 on display, nothing selected):
//   ClassifyDay(1, 0) == DayClass::kPeriodStart;  ClassifyDay(15, 0) == DayClass::kMostFertile
//   DayClassMark(DayClass::kPeriodStart) == u'#'
#pragma once

#include <cstdint>

#include "platform/win_types.h"

enum class DayClass : std::uint8_t {
  kPlain,        // no prediction, or no last period known
  kSelected,     // the selected day
  kPeriodStart,  // CriticalLevel 2: the first day of a predicted period
  kPeriod,       // CriticalLevel 1: another menstrual day
  kMostFertile,  // FertilityLevel 2: a predicted ovulation day
  kFertile,      // FertilityLevel 1: another day of a fertile window
};

// The class of day `day` of the month of AppState.SelectedDate, `selected_day` being the
// selected day (0: none): the selection first; then, once a last period is known, the
// menstrual days before the fertile days; else plain.
DayClass ClassifyDay(std::int32_t day, std::int32_t selected_day);

// How PaintMonth paints a day of the class: the cell filled with `fill` (or left white when
// `filled` is false) and the day number in `text`.
struct DayColours {
  bool filled;
  COLORREF fill;
  COLORREF text;
};
DayColours ColoursOf(DayClass day_class);

// One character for the class where colour cannot tell it: ' ' plain, '<' selected, '#' first
// day of a period, '+' other menstrual day, '*' most fertile day, '~' other fertile day.
char16_t DayClassMark(DayClass day_class);

// The classes of a day in the month view: what PaintMonth shows for a day, the colours it
// paints each class in, and a mark that tells the class by shape, for eyes that do not tell
// red from green and for screens and text without colour. Every output that shows a day's
// class takes it from here, so the window, the terminal and the printed month cannot
// disagree.
//
// Example (initial settings, LastPeriod 1 March 2024, March 2024 on display, nothing selected):
//   ClassifyDay(state, 1, 0) == DayClass::kPeriodStart;
//   ClassifyDay(state, 15, 0) == DayClass::kMostFertile
//   MarkOf(DayClass::kPeriodStart).glyph == u'#'
#pragma once

#include <cstdint>

#include "model/calendar_state.h"
#include "model/settings.h"
#include "platform/canvas/colours.h"
#include "platform/dates/civil_day.h"

enum class DayClass : std::uint8_t {
  kPlain,        // no prediction, or no last period known
  kSelected,     // the selected day
  kPeriodStart,  // CriticalLevel 2: the first day of a predicted period
  kPeriod,       // CriticalLevel 1: another menstrual day
  kMostFertile,  // FertilityLevel 2: a predicted ovulation day
  kFertile,      // FertilityLevel 1: another day of a fertile window
};

// The class of day `day` of the month of `month` under the settings, `selected_day` being the
// selected day (0: none): the selection first; then, once a last period is known, the
// menstrual days before the fertile days; else plain. The form with a state takes its settings
// and the month of its SelectedDate.
DayClass ClassifyDay(const CycleSettings& cycle, CivilDay month, std::int32_t day,
                     std::int32_t selected_day);
DayClass ClassifyDay(const CalendarState& state, std::int32_t day, std::int32_t selected_day);

// How PaintMonth paints a day of the class: the cell filled with `fill` (or left white when
// `filled` is false) and the day number in `text`.
struct DayColours {
  bool filled;
  Rgb fill;
  Rgb text;
};
DayColours ColoursOf(DayClass day_class);

// The shape of a mark drawn in pixels.
enum class MarkShape : std::uint8_t { kNone, kTriangle, kDot, kDiamond, kRing };

// The mark of a class: `shape` where the picture is pixels, `glyph` where it is characters
// (a terminal, the month printed as text), both in `colour` on the class's fill.
//   class          shape      glyph   colour
//   plain          none       ' '
//   selected       none       '<'     white (in pixels dark blue stands apart by lightness)
//   period start   triangle   '#'     yellow
//   period         dot        '+'     yellow
//   most fertile   diamond    '*'     black (yellow barely shows on the bright green)
//   fertile        ring       '~'     yellow
struct DayMark {
  MarkShape shape;
  char16_t glyph;
  Rgb colour;
};
DayMark MarkOf(DayClass day_class);

// Whether the days carry their marks: when asked for (--cues), and whenever the colours
// shown cannot tell the classes apart (no colour at all, or too few), as then only the marks
// do.
constexpr bool DayMarksShown(bool colours_tell_classes_apart, bool marks_asked) {
  return marks_asked || !colours_tell_classes_apart;
}

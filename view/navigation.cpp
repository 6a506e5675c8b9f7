#include "view/navigation.h"

#include <algorithm>

#include "model/calendar.h"
#include "model/calendar_state.h"
#include "report/day_report.h"
#include "view/month_layout.h"

namespace {

constexpr std::int64_t kMonthsInYearCycle = 65536 * 12;  // the years 0 to 65535
constexpr std::int64_t kLargestTap = 0xFFFF;             // client points are 16-bit

// The date `step` months on, the years wrapping from 65535 to 0 and back, the day kept
// within the new month.
LocalDateTime StepMonths(LocalDateTime date, std::int64_t step) {
  const CivilDay day = date.date;
  const std::int64_t months =
      ((day.year() * 12LL + day.month() - 1 + step) % kMonthsInYearCycle + kMonthsInYearCycle) %
      kMonthsInYearCycle;  // [0, kMonthsInYearCycle)
  const auto year = static_cast<std::int32_t>(months / 12);
  const auto month = static_cast<std::int32_t>(months % 12 + 1);
  const std::int32_t length = DaysInMonth(year, month);
  date.date = CivilDay(year, month, day.day() > length ? length : day.day());
  return date;
}

// The day of the selected month whose cell, width x height, holds (x, y), edges included;
// the earlier day on a shared edge. The sizes may be scaled past 32 bits (TapScale).
std::int32_t DayAt(const CalendarState& state, std::int64_t x, std::int64_t y, std::int64_t width,
                   std::int64_t height) {
  if (width <= 0 || height <= 0) return 0;
  const CivilDay selected = state.SelectedDate.date;
  const MonthGrid grid = MonthGridOf(selected.year(), selected.month());
  for (std::int32_t day = 1; day <= grid.days; ++day) {
    const GridPlace place = grid.PlaceOf(day);
    const std::int64_t left = place.column * width;
    const std::int64_t top = place.row * height;
    if (left <= x && x <= left + width && top <= y && y <= top + height) return day;
  }
  return 0;
}

// On a screen of character cells a tap names a whole character, not a point: the regions
// are tested at its middle, in half units, so that the character's own cell takes it even
// where a cell is one character wide and every character lies on an edge. On pixels the
// tap is the point itself.
std::int64_t TapScale(const MonthPaint& painted) { return painted.characters ? 2 : 1; }

}  // namespace

LocalDateTime PreviousMonth(LocalDateTime date) { return StepMonths(date, -1); }

LocalDateTime NextMonth(LocalDateTime date) { return StepMonths(date, 1); }

bool HandleKey(CalendarState& state, Key key) {
  LocalDateTime& selected = state.SelectedDate;
  switch (key) {
    case Key::kEnter:
      ShowDayReport(state);
      return false;
    case Key::kLeft:
      selected = PreviousMonth(selected);
      return true;
    case Key::kRight:
      selected = NextMonth(selected);
      return true;
    case Key::kUp:
      selected = PreviousDay(selected);
      return true;
    case Key::kDown:
      selected = NextDay(selected);
      return true;
    default:
      return false;
  }
}

std::int32_t DayAtPoint(const CalendarState& state, const MonthPaint& painted, std::int32_t x,
                        std::int32_t y) {
  return DayAt(state, x, y, painted.cell_width, painted.cell_height);
}

bool HandleTap(CalendarState& state, const MonthPaint& painted, std::int32_t tap_x,
               std::int32_t tap_y) {
  // With no cell size every hit region collapses onto the origin: nothing can be hit.
  if (painted.cell_width <= 0 || painted.cell_height <= 0) return false;
  const std::int64_t scale = TapScale(painted);
  const std::int64_t width = painted.cell_width * scale;
  const std::int64_t height = painted.cell_height * scale;
  // A point off the top or left edge counts as on it, as pointers report them while dragging.
  const std::int64_t x = std::clamp<std::int64_t>(tap_x, 0, kLargestTap) * scale + scale / 2;
  const std::int64_t y = std::clamp<std::int64_t>(tap_y, 0, kLargestTap) * scale + scale / 2;
  LocalDateTime& selected = state.SelectedDate;
  if (x <= (kPreviousMonthColumn + 1) * width && y <= height) {
    selected = PreviousMonth(selected);
    return true;
  }
  if (x >= kNextMonthColumn * width && y <= height) {
    selected = NextMonth(selected);
    return true;
  }
  if (y < kFirstDayRow * height || y > kGridRows * height) return false;
  const std::int32_t day = DayAt(state, x, y, width, height);
  if (day == 0) return false;
  if (day == selected.date.day()) {
    ShowDayReport(state);
    return false;
  }
  const CivilDay month = selected.date;
  selected = OnDay(selected, CivilDay(month.year(), month.month(), day));
  return true;
}

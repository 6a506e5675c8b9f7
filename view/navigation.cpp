#include "view/navigation.h"

#include "model/calendar.h"
#include "model/calendar_state.h"
#include "platform/ui/app_window.h"
#include "platform/ui/window_paint.h"
#include "report/day_report.h"
#include "view/month_layout.h"

namespace {

constexpr std::int64_t kMonthsInYearCycle = 65536 * 12;  // the years 0 to 65535

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

void RequestRepaint(HWND window) { InvalidateRect(window, nullptr, FALSE); }

void Select(HWND window, const LocalDateTime& date) {
  AppState.SelectedDate = date;
  RequestRepaint(window);
}

// The day of the selected month whose cell, width x height, holds (x, y), edges included;
// the earlier day on a shared edge. The sizes may be scaled past 32 bits (TapScale).
std::int32_t DayAt(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return 0;
  const CivilDay selected = AppState.SelectedDate.date;
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
std::int64_t TapScale() { return ScreenHoldsCharacters() ? 2 : 1; }

}  // namespace

LocalDateTime PreviousMonth(LocalDateTime date) { return StepMonths(date, -1); }

LocalDateTime NextMonth(LocalDateTime date) { return StepMonths(date, 1); }

LRESULT HandleKey(HWND window, Key key_code) {
  const LocalDateTime& selected = AppState.SelectedDate;
  switch (key_code) {
    case Key::kEnter:
      ShowDayReport(AppState);
      break;
    case Key::kLeft:
      Select(window, PreviousMonth(selected));
      break;
    case Key::kRight:
      Select(window, NextMonth(selected));
      break;
    case Key::kUp:
      Select(window, PreviousDay(selected));
      break;
    case Key::kDown:
      Select(window, NextDay(selected));
      break;
    default:
      break;
  }
  return 0;
}

std::int32_t DayAtPoint(std::int32_t x, std::int32_t y) {
  return DayAt(x, y, AppWindow.CellWidth, AppWindow.CellHeight);
}

LRESULT HandleTap(HWND window, LPARAM position) {
  // With no cell size every hit region collapses onto the origin: nothing can be hit.
  if (AppWindow.CellWidth <= 0 || AppWindow.CellHeight <= 0) return 0;
  const std::int64_t scale = TapScale();
  const std::int64_t width = AppWindow.CellWidth * scale;
  const std::int64_t height = AppWindow.CellHeight * scale;
  const std::int64_t x = LOWORD(static_cast<std::uintptr_t>(position)) * scale + scale / 2;
  const std::int64_t y = HIWORD(static_cast<std::uintptr_t>(position)) * scale + scale / 2;
  const LocalDateTime& selected = AppState.SelectedDate;
  if (x <= (kPreviousMonthColumn + 1) * width && y <= height) {
    Select(window, PreviousMonth(selected));
    return 0;
  }
  if (x >= kNextMonthColumn * width && y <= height) {
    Select(window, NextMonth(selected));
    return 0;
  }
  if (y < kFirstDayRow * height || y > kGridRows * height) return 0;
  const std::int32_t day = DayAt(x, y, width, height);
  if (day == 0) return 0;
  if (day == selected.date.day()) {
    ShowDayReport(AppState);
    return 0;
  }
  const CivilDay month = selected.date;
  Select(window, OnDay(selected, CivilDay(month.year(), month.month(), day)));
  return 0;
}

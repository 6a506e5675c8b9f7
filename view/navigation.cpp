#include "view/navigation.h"

#include "model/app_state.h"
#include "model/calendar.h"
#include "platform/ui/window_paint.h"
#include "report/day_report.h"
#include "view/month_layout.h"

namespace {

constexpr WORD kDecember = 12;

WORD WeekdayOf(const SYSTEMTIME& date) {
  return static_cast<WORD>(DayOfWeek(date.wDay, date.wMonth, date.wYear));
}

SYSTEMTIME WithWeekday(SYSTEMTIME date) {
  date.wDayOfWeek = WeekdayOf(date);
  return date;
}

// Keeps the day within the new month and names its weekday.
SYSTEMTIME SettleMonthStep(SYSTEMTIME date) {
  const auto length = static_cast<WORD>(DaysInMonth(date.wYear, date.wMonth));
  if (date.wDay > length) date.wDay = length;
  return WithWeekday(date);
}

void RequestRepaint(HWND window) { InvalidateRect(window, nullptr, FALSE); }

void Select(HWND window, const SYSTEMTIME& date) {
  AppState.SelectedDate = date;
  RequestRepaint(window);
}

// The day of the selected month whose cell, width x height, holds (x, y), edges included;
// the earlier day on a shared edge. The sizes may be scaled past 32 bits (TapScale).
std::int32_t DayAt(std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return 0;
  const SYSTEMTIME& selected = AppState.SelectedDate;
  const MonthGrid grid = MonthGridOf(selected.wYear, selected.wMonth);
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

SYSTEMTIME PreviousMonth(SYSTEMTIME date) {
  if (date.wMonth == 1) {
    date.wMonth = kDecember;
    --date.wYear;
  } else {
    --date.wMonth;
  }
  return SettleMonthStep(date);
}

SYSTEMTIME NextMonth(SYSTEMTIME date) {
  if (date.wMonth == kDecember) {
    date.wMonth = 1;
    ++date.wYear;
  } else {
    ++date.wMonth;
  }
  return SettleMonthStep(date);
}

LRESULT HandleKey(HWND window, Key key_code) {
  const SYSTEMTIME& selected = AppState.SelectedDate;
  switch (key_code) {
    case Key::kEnter:
      ShowDayReport();
      break;
    case Key::kLeft:
      Select(window, PreviousMonth(selected));
      break;
    case Key::kRight:
      Select(window, NextMonth(selected));
      break;
    case Key::kUp:
      Select(window, WithWeekday(PreviousDay(selected)));
      break;
    case Key::kDown:
      Select(window, WithWeekday(NextDay(selected)));
      break;
    default:
      break;
  }
  return 0;
}

std::int32_t DayAtPoint(std::int32_t x, std::int32_t y) {
  return DayAt(x, y, AppState.CellWidth, AppState.CellHeight);
}

LRESULT HandleTap(HWND window, LPARAM position) {
  // With no cell size every hit region collapses onto the origin: nothing can be hit.
  if (AppState.CellWidth <= 0 || AppState.CellHeight <= 0) return 0;
  const std::int64_t scale = TapScale();
  const std::int64_t width = AppState.CellWidth * scale;
  const std::int64_t height = AppState.CellHeight * scale;
  const std::int64_t x = LOWORD(static_cast<std::uintptr_t>(position)) * scale + scale / 2;
  const std::int64_t y = HIWORD(static_cast<std::uintptr_t>(position)) * scale + scale / 2;
  const SYSTEMTIME& selected = AppState.SelectedDate;
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
  if (day == selected.wDay) {
    ShowDayReport();
    return 0;
  }
  SYSTEMTIME chosen = selected;
  chosen.wDay = static_cast<WORD>(day);
  Select(window, WithWeekday(chosen));
  return 0;
}

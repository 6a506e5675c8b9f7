// The state the calendar keeps between events: the cycle settings, the last recorded period,
// the selected day and the view's day marks.
#pragma once

#include <cstdint>

#include "platform/dates/civil_day.h"

struct CalendarState {
  std::int32_t CycleLength = 28;     // predicted length of a cycle, days
  std::int32_t MenstrualDays = 5;    // menstrual days at the start of each cycle
  std::int32_t LutealPhase = 14;     // days from ovulation to the next cycle
  LocalDateTime LastPeriod{};        // first day of the last recorded period, with its time
  LocalDateTime SelectedDate{};      // the selected day; its month is the month on display
  std::int32_t LastPeriodKnown = 0;  // 1 once LastPeriod holds a loaded or recorded date
  std::int32_t DayMarks = 0;         // 1: the month view marks each day's class by a shape too
};

// The one process-wide state record of Cyclune: the cycle settings, the last recorded
// period, the selected day and the month-view geometry of the last paint. Every part of the
// system reads and writes the fields it needs; nothing else holds state.
#pragma once

#include "platform/ui/win_types.h"

struct AppStateRecord {
  std::int32_t CycleLength = 28;   // predicted length of a cycle, days
  std::int32_t MenstrualDays = 5;  // menstrual days at the start of each cycle
  std::int32_t LutealPhase = 14;   // days from ovulation to the next cycle
  RECT ClientRect{};               // client rectangle at the last paint
  std::int32_t CellWidth = 0;      // month-grid cell, pixels, from the last paint
  std::int32_t CellHeight = 0;
  SYSTEMTIME LastPeriod{};    // first day of the last recorded period, with its time
  SYSTEMTIME SelectedDate{};  // the selected day; its month is the month on display
  HWND MainWindow = nullptr;
  HINSTANCE Instance = nullptr;
  std::int32_t LastPeriodKnown = 0;  // 1 once LastPeriod holds a loaded or recorded date
  std::int32_t DayMarks = 0;         // 1: the month view marks each day's class by a shape too
};

extern AppStateRecord AppState;

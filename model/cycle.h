// Day classification: where a day of a month lies in the predicted cycles. Predicted cycles
// begin at the settings' LastPeriod and repeat every CycleLength days; ovulation falls
// LutealPhase days before the next cycle begins. As many cycles are predicted as fit into 365
// days (365 / CycleLength, truncating), plus one; no cycle before LastPeriod is predicted.
//
// Each function classifies the day numbered `day` of a year and month (`month` any day of it)
// against the settings it is given; nothing is cached or written. Within the scan of cycles
// and offsets the first matching prediction decides. Any settings are accepted: a CycleLength
// of -365 to -1 or 0 predicts nothing, counts that leave 32 bits are computed in 64 bits, and
// stepping wraps around the 65536-year cycle of the calendar. Call only for settings with a known
// last period.
//
// Example (initial settings 28/14/5, LastPeriod 1 March 2024, the month March 2024):
//   CriticalLevel(s, march, 1) == 2;  CriticalLevel(s, march, 2) == 1;
//   FertilityLevel(s, march, 15) == 2;  FertilityLevel(s, march, 12) == 1;
//   IsBoyWindow(s, march, 12) == false;  IsBoyWindow(s, march, 14) == true
#pragma once

#include <cstdint>
#include <vector>

#include "model/settings.h"
#include "platform/dates/civil_day.h"

// 2 for a predicted ovulation day, 1 for another day of a fertile window (three days before to
// one day after an ovulation day), 0 otherwise.
std::int32_t FertilityLevel(const CycleSettings& cycle, CivilDay month, std::int32_t day);

// True when the day is a predicted ovulation day or the day before or after one.
bool IsBoyWindow(const CycleSettings& cycle, CivilDay month, std::int32_t day);

// 2 for the first day of a predicted period, 1 for another of its MenstrualDays days, 0
// otherwise.
std::int32_t CriticalLevel(const CycleSettings& cycle, CivilDay month, std::int32_t day);

// Consecutive days by DayNumber (model/calendar.h), first to last included. `last` may lie
// beyond the 65536-year cycle of the calendar, where the days wrap around to year 0.
struct DayRange {
  std::int64_t first;
  std::int64_t last;
};

// Where the predictions of the settings can fall: outside these ranges FertilityLevel and
// CriticalLevel give 0 for every day of every month. One range per predicted period (its
// menstrual days) and per fertile window, reaching back to the anchor where counts of 0 or
// less stand for it; empty when no cycle is predicted. At most 732 ranges, possibly
// overlapping, each no longer than 2^31 days. Reads LastPeriod and the three cycle fields.
//
// Example (initial settings, LastPeriod 1 March 2024): ranges from 1 March 2024 (the first
// period) to 15 March 2025 (the last fertile window ends one day after its ovulation day).
std::vector<DayRange> PredictedDayRanges(const CycleSettings& cycle);

// Recording a period ("Set last period"): makes the selected day the first day of the last
// period and folds the interval observed since the previous last period into the averages:
// the cycle length becomes the mean of the old length and the interval, the menstrual days
// a sixth of the new length, and the luteal phase moves halfway towards half the interval.
// It then stores the settings; the caller repaints what shows them.
//
// Example (no last period known yet, initial settings 28/14/5): the interval counts as 28,
// giving CycleLength 28, MenstrualDays 4 (28 / 6), LutealPhase 14.
#pragma once

#include <cstdint>

#include "model/settings.h"

struct CalendarState;

// The new settings from the old cycle length, the old luteal phase and the observed
// interval in days; divisions truncate toward zero, sums are taken in 64 bits and the
// results truncated to 32 bits as the fields are.
struct RecordedCycle {
  std::int32_t CycleLength;
  std::int32_t MenstrualDays;
  std::int32_t LutealPhase;
};
RecordedCycle FoldInterval(std::int32_t cycle_length, std::int32_t luteal_phase,
                           std::int32_t interval);

// "Set last period" on `selected` applied to `settings`: the interval is
// DaysBetween(LastPeriod, selected), or 28 without a known last period; LastPeriod becomes
// `selected`. RecordPeriod's fold, on values; nothing is repainted or saved.
CycleSettings RecordPeriodOn(const CycleSettings& settings, const LocalDateTime& selected);

// RecordPeriod's change to `state` alone, without the save: for recording a series of periods
// (an import) that is then saved once.
void RecordPeriodWithoutSaving(CalendarState& state);

// Updates `state` from its SelectedDate (the interval is DaysBetween(LastPeriod, SelectedDate),
// or 28 without a known last period), then saves the settings. Returns the save's result; the
// new values stay in `state` whether or not the save succeeded. Shows nothing itself.
SettingsSaveResult RecordPeriod(CalendarState& state);

// The predictions of the month view as events for other programs' calendars: one event per
// predicted period (its first day through its last menstrual day), one per fertile window
// and one per most fertile day. The days are the month view's own: every month in which a
// prediction can fall is classified day by day, as PaintMonth classifies the month on
// display, so that no day of an event differs from the grid, whatever the settings.
//
// Example (initial settings, LastPeriod 1 March 2024): 14 periods, the first 1 to 5 March
// 2024; 14 fertile windows, the first 12 to 16 March 2024; 14 most fertile days, the first
// 15 March 2024.
#pragma once

#include <cstdint>
#include <vector>

#include "model/settings.h"
#include "platform/dates/civil_day.h"

// kRecordedPeriod: a period recorded before the last one, from the history.
enum class EventKind : std::uint8_t { kPeriod, kFertileWindow, kMostFertileDay, kRecordedPeriod };

struct PredictedEvent {
  EventKind kind;
  CivilDay first;  // the first day
  CivilDay last;   // the last day, included
  int number;      // 1 for the earliest event of its kind, then 2, 3, ...
  // A period that was recorded, not predicted: the last period (period 1, which begins on it)
  // and every kRecordedPeriod.
  bool recorded = false;
};

// At most this many months (100 years) are searched, the earliest first: a bound on the time
// and size of an export that only settings far from any real cycle can reach.
constexpr std::int64_t kMaxEventMonths = 1200;

// The years a calendar file can hold: iCalendar writes four digits, and libical, which
// writes it, takes no year after 3000. The last month searched is November of the last year,
// so that the exclusive end of an event still falls within it.
constexpr int kFirstWritableYear = 1;
constexpr int kLastWritableYear = 3000;

struct PredictedEvents {
  std::vector<PredictedEvent> events;  // by first day, then by kind
  // Some predictions were left out: beyond kMaxEventMonths, or outside the writable years.
  bool cut = false;
};

// The events of the settings; none without a known last period. Runs of days of one class
// form one event, and a first day of a period (CriticalLevel 2) begins a new period even
// right after another.
PredictedEvents CollectPredictedEvents(const CycleSettings& cycle);

// A period recorded before the last one: its first and last day.
struct RecordedPeriod {
  CivilDay first;
  CivilDay last;
};

// Adds the periods recorded before the last one (oldest first) to `predicted` as events of
// kind kRecordedPeriod, numbered from 1, and marks the first predicted period, which begins on
// `last_period` (the recorded last period), as recorded. The events stay in order of their first
// days.
void AddRecordedPeriods(const std::vector<RecordedPeriod>& earlier, CivilDay last_period,
                        PredictedEvents* predicted);

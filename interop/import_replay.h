// Replaying the period starts read from another tracker as if each had been recorded in
// Cyclune on its day: sorted, without repeats, without days after today and without days on
// or before the last period already stored, each one goes through the model's own
// "Set last period" (RecordPeriodOn) on that day at the current time of day. Nothing is saved
// here; the settings given hold the result.
//
// Example:
//   LoadSettingsWithoutCreating(state);
//   CycleSettings cycle = CycleSettingsOf(state);
//   ImportReplay replay = ReplayStarts(parse.starts, LocalNow(), &cycle);
//   // replay.recorded[i]: the day, its interval and the settings after it
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "interop/import_parse.h"
#include "model/settings.h"
#include "platform/dates/civil_day.h"

struct ReplayedStart {
  ImportDay day;
  bool interval_known = false;   // false: no period before it, so the interval counted as 28
  std::int64_t interval = 0;     // days from the previous last period, as RecordPeriod counts
  std::int32_t CycleLength = 0;  // the settings after recording this start
  std::int32_t LutealPhase = 0;
  std::int32_t MenstrualDays = 0;
  bool from_history = false;  // a start the history held, replayed with the file's
};

struct ImportReplay {
  std::vector<ReplayedStart> recorded;
  std::vector<ImportDay> after_today;  // left out: not yet happened
  std::size_t before_last_period = 0;  // left out: on or before the stored last period
};

// Replays `starts` (any order, repeats allowed) onto *cycle, `now` giving today and the time of
// day of every recorded start.
ImportReplay ReplayStarts(std::vector<ImportDay> starts, const LocalDateTime& now,
                          CycleSettings* cycle);

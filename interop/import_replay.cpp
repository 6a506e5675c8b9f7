#include "interop/import_replay.h"

#include <algorithm>

#include "model/calendar.h"
#include "model/record_period.h"

namespace {

ImportDay DayOf(const LocalDateTime& date) {
  return ImportDay{date.date.year(), date.date.month(), date.date.day()};
}

// `day` at the time of day of `now`.
LocalDateTime AtTimeOfDay(const ImportDay& day, const LocalDateTime& now) {
  return OnDay(now, CivilDay(day.year, day.month, day.day));
}

}  // namespace

ImportReplay ReplayStarts(std::vector<ImportDay> starts, const LocalDateTime& now,
                          CycleSettings* cycle) {
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  ImportReplay replay;
  const ImportDay today = DayOf(now);
  for (const ImportDay& day : starts) {
    if (day > today) {
      replay.after_today.push_back(day);
      continue;
    }
    if (cycle->LastPeriodKnown && day <= DayOf(cycle->LastPeriod)) {
      ++replay.before_last_period;
      continue;
    }
    ReplayedStart step;
    step.day = day;
    const LocalDateTime selected = AtTimeOfDay(day, now);
    step.interval_known = cycle->LastPeriodKnown;
    if (step.interval_known) step.interval = DaysBetween(cycle->LastPeriod, selected);
    *cycle = RecordPeriodOn(*cycle, selected);
    step.CycleLength = cycle->CycleLength;
    step.LutealPhase = cycle->LutealPhase;
    step.MenstrualDays = cycle->MenstrualDays;
    replay.recorded.push_back(step);
  }
  return replay;
}

#include "interop/import_replay.h"

#include <algorithm>

#include "model/app_state.h"
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

ImportReplay ReplayStarts(std::vector<ImportDay> starts, const LocalDateTime& now) {
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  ImportReplay replay;
  const ImportDay today = DayOf(now);
  for (const ImportDay& day : starts) {
    if (day > today) {
      replay.after_today.push_back(day);
      continue;
    }
    if (AppState.LastPeriodKnown && day <= DayOf(AppState.LastPeriod)) {
      ++replay.before_last_period;
      continue;
    }
    ReplayedStart step;
    step.day = day;
    AppState.SelectedDate = AtTimeOfDay(day, now);
    step.interval_known = AppState.LastPeriodKnown != 0;
    if (step.interval_known)
      step.interval = DaysBetween(AppState.LastPeriod, AppState.SelectedDate);
    RecordPeriodWithoutSaving();
    step.CycleLength = AppState.CycleLength;
    step.LutealPhase = AppState.LutealPhase;
    step.MenstrualDays = AppState.MenstrualDays;
    replay.recorded.push_back(step);
  }
  return replay;
}

#include "model/record_period.h"

#include "model/calendar.h"
#include "model/calendar_state.h"

namespace {

constexpr std::int32_t kIntervalWithoutLastPeriod = 28;
constexpr std::int64_t kMenstrualShareOfCycle = 6;  // menstrual days are a sixth of a cycle

}  // namespace

RecordedCycle FoldInterval(std::int32_t cycle_length, std::int32_t luteal_phase,
                           std::int32_t interval) {
  // Widened so that stored settings near the 32-bit limits cannot overflow the sums; the
  // means of two 32-bit numbers fit 32 bits again.
  const std::int64_t new_cycle = (std::int64_t{cycle_length} + interval) / 2;
  const std::int64_t new_luteal = (std::int64_t{luteal_phase} + interval / 2) / 2;
  return RecordedCycle{static_cast<std::int32_t>(new_cycle),
                       static_cast<std::int32_t>(new_cycle / kMenstrualShareOfCycle),
                       static_cast<std::int32_t>(new_luteal)};
}

CycleSettings RecordPeriodOn(const CycleSettings& settings, const LocalDateTime& selected) {
  // The interval is kept as the 32-bit number the averages are defined on.
  const std::int32_t interval =
      settings.LastPeriodKnown
          ? static_cast<std::int32_t>(DaysBetween(settings.LastPeriod, selected))
          : kIntervalWithoutLastPeriod;
  const RecordedCycle cycle = FoldInterval(settings.CycleLength, settings.LutealPhase, interval);
  return CycleSettings{cycle.CycleLength, cycle.MenstrualDays, cycle.LutealPhase, true, selected};
}

void RecordPeriodWithoutSaving(CalendarState& state) {
  SetCycleSettings(RecordPeriodOn(CycleSettingsOf(state), state.SelectedDate), &state);
}

SettingsSaveResult RecordPeriod(CalendarState& state) {
  RecordPeriodWithoutSaving(state);
  return SaveSettings(state);
}

#include "model/cycle.h"

#include <algorithm>
#include <optional>

#include "model/calendar.h"

// A prediction is a candidate date AddDays(anchor, count) with count = k x CycleLength + j,
// visited k by k and, within each k, j by j. Rather than building a date per candidate, the
// day being classified is turned into the residue `delta` of its distance from the anchor: a
// positive count lands on it exactly when count == delta (mod DaysInYearCycle), since stepping
// wraps around that cycle. Counts of 0 or less stand for the anchor itself, as AddDays returns
// it unchanged.

namespace {

struct ScanTarget {
  bool anchor_matches;  // the anchor is the day being classified
  bool target_valid;    // the day exists, so a stepped (always valid) candidate can land on it
  std::int64_t delta;   // [0, DaysInYearCycle); positive counts == delta mod the cycle match
};

ScanTarget MakeTarget(const LocalDateTime& anchor, CivilDay selected, std::int32_t day) {
  ScanTarget target{};
  target.target_valid = day >= 1 && day <= DaysInMonth(selected.year(), selected.month());
  if (target.target_valid) {
    const CivilDay date(selected.year(), selected.month(), day);
    target.anchor_matches = anchor.date == date;
    const std::int64_t distance = DayNumber(date) - DayNumber(anchor.date);
    target.delta = (distance % DaysInYearCycle + DaysInYearCycle) % DaysInYearCycle;
  }
  return target;
}

// The smallest count in [first, last], first >= 1, that lands on the target, if any.
std::optional<std::int64_t> FirstLanding(const ScanTarget& target, std::int64_t first,
                                         std::int64_t last) {
  if (last < DaysInYearCycle) {
    // Every count of the range is below one cycle: only delta itself can land.
    if (target.delta >= first && target.delta <= last) return target.delta;
    return std::nullopt;
  }
  const std::int64_t gap =
      ((target.delta - first) % DaysInYearCycle + DaysInYearCycle) % DaysInYearCycle;
  if (gap <= last - first) return first + gap;
  return std::nullopt;
}

// Scans k = k_first..k_last and, within each k, j = j_low..j_high (counts k x length + j, all
// within 64 bits); returns the j of the first candidate that matches, if any.
std::optional<std::int64_t> FirstMatch(const ScanTarget& target, std::int64_t length,
                                       std::int64_t k_first, std::int64_t k_last,
                                       std::int64_t j_low, std::int64_t j_high) {
  if (!target.anchor_matches && !target.target_valid) return std::nullopt;
  for (std::int64_t k = k_first; k <= k_last; ++k) {
    const std::int64_t base = k * length;  // |k| <= 366, |length| <= 2^31
    const std::int64_t low = base + j_low;
    const std::int64_t high = base + j_high;
    if (low <= 0 && target.anchor_matches) return j_low;
    if (!target.target_valid || high <= 0) continue;
    if (const auto count = FirstLanding(target, std::max<std::int64_t>(low, 1), high)) {
      return *count - base;
    }
  }
  return std::nullopt;
}

// The cycle count 365 / CycleLength, or nullopt when no cycle is predicted: a negative count,
// or a CycleLength of 0, for which no count can be formed.
std::optional<std::int32_t> CycleCount(const CycleSettings& cycle) {
  if (cycle.CycleLength == 0) return std::nullopt;
  const std::int32_t count = 365 / cycle.CycleLength;  // no overflow: the dividend is 365
  if (count < 0) return std::nullopt;
  return count;
}

// Appends the days of counts low..high from `anchor`, a count of 0 or less standing for the
// anchor itself.
void AddCountRange(const LocalDateTime& anchor, std::int64_t low, std::int64_t high,
                   std::vector<DayRange>* ranges) {
  const std::int64_t start = DayNumber(anchor.date);  // [0, DaysInYearCycle)
  ranges->push_back(
      DayRange{start + std::max<std::int64_t>(low, 0), start + std::max<std::int64_t>(high, 0)});
}

// The first match among the ovulation windows k = 1..N+1, offsets j_low..j_high.
std::optional<std::int64_t> FirstOvulationMatch(const CycleSettings& cycle, CivilDay month,
                                                std::int32_t day, std::int64_t j_low,
                                                std::int64_t j_high) {
  const auto cycles = CycleCount(cycle);
  if (!cycles) return std::nullopt;
  const LocalDateTime anchor = SubtractDays(cycle.LastPeriod, cycle.LutealPhase);
  return FirstMatch(MakeTarget(anchor, month, day), cycle.CycleLength, 1,
                    static_cast<std::int64_t>(*cycles) + 1, j_low, j_high);
}

}  // namespace

std::int32_t FertilityLevel(const CycleSettings& cycle, CivilDay month, std::int32_t day) {
  const auto j = FirstOvulationMatch(cycle, month, day, -3, 1);
  if (!j) return 0;
  return *j == 0 ? 2 : 1;
}

// A match at j = -3 or -2 does not decide, so the result is whether any candidate with j from
// -1 to +1 matches: a scan over those offsets alone.
bool IsBoyWindow(const CycleSettings& cycle, CivilDay month, std::int32_t day) {
  return FirstOvulationMatch(cycle, month, day, -1, 1).has_value();
}

std::int32_t CriticalLevel(const CycleSettings& cycle, CivilDay month, std::int32_t day) {
  const auto cycles = CycleCount(cycle);
  if (!cycles || cycle.MenstrualDays <= 0) return 0;
  const auto j = FirstMatch(MakeTarget(cycle.LastPeriod, month, day), cycle.CycleLength, 0, *cycles,
                            0, static_cast<std::int64_t>(cycle.MenstrualDays) - 1);
  if (!j) return 0;
  return *j == 0 ? 2 : 1;
}

std::vector<DayRange> PredictedDayRanges(const CycleSettings& cycle) {
  std::vector<DayRange> ranges;
  const auto cycles = CycleCount(cycle);
  if (!cycles) return ranges;
  // The same candidates as the scans above, window by window: k x length + j.
  const std::int64_t length = cycle.CycleLength;
  const LocalDateTime ovulation = SubtractDays(cycle.LastPeriod, cycle.LutealPhase);
  for (std::int64_t k = 1; k <= *cycles + 1; ++k) {
    AddCountRange(ovulation, k * length - 3, k * length + 1, &ranges);
  }
  if (cycle.MenstrualDays <= 0) return ranges;
  for (std::int64_t i = 0; i <= *cycles; ++i) {
    AddCountRange(cycle.LastPeriod, i * length, i * length + cycle.MenstrualDays - 1, &ranges);
  }
  return ranges;
}

// Where predictions can fall: every day that FertilityLevel or CriticalLevel classifies lies in
// one of PredictedDayRanges, for degenerate settings and wrapped years too.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <set>
#include <vector>

#include "model/calendar.h"
#include "model/cycle.h"

namespace {

LocalDateTime Date(int year, int month, int day) {
  return LocalDateTime{CivilDay(year, month, day), 9, 30};
}

bool InRanges(const std::vector<DayRange>& ranges, std::int64_t day) {
  return std::any_of(ranges.begin(), ranges.end(), [day](const DayRange& r) {
    return ((day - r.first) % DaysInYearCycle + DaysInYearCycle) % DaysInYearCycle <=
           r.last - r.first;
  });
}

// Classified days outside the ranges, in the months around both ends of every range and
// around both anchors, where such a day would show first.
int DaysOutside(const CycleSettings& cycle, const std::vector<DayRange>& ranges) {
  std::set<std::int64_t> months;
  std::vector<std::int64_t> ends{DayNumber(cycle.LastPeriod),
                                 DayNumber(SubtractDays(cycle.LastPeriod, cycle.LutealPhase))};
  for (const DayRange& r : ranges) ends.insert(ends.end(), {r.first, r.last});
  for (const std::int64_t day : ends) {
    const LocalDateTime d = ShiftDays(Date(0, 1, 1), day % DaysInYearCycle);
    for (int i = -2; i <= 2; ++i)
      months.insert((d.date.year() * 12 + d.date.month() - 1 + i + 786432) % 786432);
  }
  int outside = 0;
  for (const std::int64_t index : months) {
    const LocalDateTime m = Date(static_cast<int>(index / 12), static_cast<int>(index % 12) + 1, 1);
    for (int day = 1; day <= DaysInMonth(m.date.year(), m.date.month()); ++day) {
      const bool classified =
          FertilityLevel(cycle, m.date, day) != 0 || CriticalLevel(cycle, m.date, day) != 0;
      outside +=
          classified && !InRanges(ranges, DayNumber(Date(m.date.year(), m.date.month(), day))) ? 1
                                                                                               : 0;
    }
  }
  return outside;
}

TEST(PredictedDayRanges, HoldEveryClassifiedDayAndNoMore) {
  const struct {
    const char* name;
    std::int32_t cycle, menstrual, luteal;
    LocalDateTime last;
    std::int64_t first, end;  // the earliest and latest day, from the last period
  } cases[] = {
      {"initial", 28, 5, 14, Date(2024, 3, 1), 0, 379},
      {"cycle 1", 1, 5, 14, Date(2024, 3, 1), -14, 369},
      {"cycle -400: the ovulation anchor and one period", -400, 5, 14, Date(2024, 3, 1), -14, 4},
      {"luteal negative", 28, 5, -3, Date(2024, 3, 1), 0, 393},
      {"menstrual above cycle", 10, 40, 14, Date(2024, 3, 1), -7, 399},
      {"cycle INT_MAX", INT_MAX, 7, 14, Date(2024, 3, 1), 0, std::int64_t{INT_MAX} - 13},
      {"luteal INT_MAX wraps the years", 28, 5, INT_MAX, Date(2024, 3, 1), -1, -1},
      {"year wrap", 28, 5, 14, Date(65535, 12, 20), 0, 379},
  };
  for (const auto& c : cases) {
    const CycleSettings cycle{c.cycle, c.menstrual, c.luteal, true, c.last};
    const std::vector<DayRange> ranges = PredictedDayRanges(cycle);
    EXPECT_EQ(DaysOutside(cycle, ranges), 0) << c.name;
    if (c.first == -1 && c.end == -1) continue;  // wrapped: the ends are not comparable
    std::int64_t first = ranges.at(0).first, end = ranges.at(0).last;
    for (const DayRange& r : ranges) {
      first = std::min(first, r.first);
      end = std::max(end, r.last);
    }
    EXPECT_EQ(first - DayNumber(c.last), c.first) << c.name;
    EXPECT_EQ(end - DayNumber(c.last), c.end) << c.name;
  }
  CycleSettings none;
  none.CycleLength = -1;
  none.LastPeriodKnown = true;
  EXPECT_TRUE(PredictedDayRanges(none).empty());
}

}  // namespace

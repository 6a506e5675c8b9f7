// The predictions as events, for what the end-to-end comparison with the painted month
// (tests/e2e/calendar_export_test.sh) cannot reach: a new period right after another, and
// predictions too far away or in years that a calendar file cannot hold.
#include "interop/predicted_events.h"

#include <gtest/gtest.h>

#include <climits>

#include "model/calendar.h"

namespace {

LocalDateTime Date(int year, int month, int day) {
  return LocalDateTime{CivilDay(year, month, day), 9};
}

TEST(PredictedEvents, BoundedAndSplitWhereTheGridSays) {
  const struct {
    const char* name;
    std::int32_t cycle, menstrual;
    LocalDateTime last;
    bool cut;
    std::size_t periods;
  } cases[] = {
      {"periods end to end: each first day begins one", 4, 4, Date(2024, 3, 1), false, 92},
      {"an endless period", 28, INT_MAX, Date(2024, 3, 1), true, 1},
      {"beyond the year 3000", 28, 5, Date(3000, 10, 1), true, 3},
      {"just within", 28, 5, Date(2999, 10, 1), false, 14},
      {"before the year 1", 28, 5, Date(0, 12, 1), true, 13},
  };
  for (const auto& c : cases) {
    CycleSettings cycle;
    cycle.CycleLength = c.cycle;
    cycle.MenstrualDays = c.menstrual;
    cycle.LastPeriod = c.last;
    cycle.LastPeriodKnown = true;
    const PredictedEvents predicted = CollectPredictedEvents(cycle);
    EXPECT_EQ(predicted.cut, c.cut) << c.name;
    std::size_t periods = 0;
    for (const PredictedEvent& event : predicted.events) {
      periods += event.kind == EventKind::kPeriod ? 1 : 0;
      EXPECT_GE(event.first.year(), kFirstWritableYear) << c.name;
      EXPECT_LE(DayNumber(event.last), DayNumber(Date(kLastWritableYear, 11, 30))) << c.name;
      EXPECT_LE(DayNumber(event.last) - DayNumber(predicted.events[0].first), 100 * 366) << c.name;
    }
    EXPECT_EQ(periods, c.periods) << c.name;
  }
  EXPECT_TRUE(CollectPredictedEvents(CycleSettings{}).events.empty());
}

}  // namespace

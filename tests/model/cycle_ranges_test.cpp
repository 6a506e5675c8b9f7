// Where predictions can fall: every day that FertilityLevel or CriticalLevel classifies lies in
// one of PredictedDayRanges, for ordinary and degenerate settings, wrapped years included.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/app_state.h"
#include "model/calendar.h"
#include "model/cycle.h"

namespace {

SYSTEMTIME Date(int year, int month, int day) {
  return SYSTEMTIME{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                    9, 30, 0, 0};
}

void Apply(std::int32_t cycle, std::int32_t menstrual, std::int32_t luteal, SYSTEMTIME last) {
  AppState = AppStateRecord{};
  AppState.CycleLength = cycle;
  AppState.MenstrualDays = menstrual;
  AppState.LutealPhase = luteal;
  AppState.LastPeriod = last;
  AppState.LastPeriodKnown = 1;
}

bool InRanges(const std::vector<DayRange>& ranges, std::int64_t day) {
  return std::any_of(ranges.begin(), ranges.end(), [day](const DayRange& r) {
    const std::int64_t offset = ((day - r.first) % DaysInYearCycle + DaysInYearCycle) %
                                DaysInYearCycle;
    return offset <= r.last - r.first;
  });
}

// Month indexes (year x 12 + month - 1) around the ends of every range and around the
// anchors, where a classified day outside the ranges would show first.
std::set<std::int64_t> MonthsToCheck(const std::vector<DayRange>& ranges) {
  std::set<std::int64_t> months;
  auto around = [&months](std::int64_t day) {
    const SYSTEMTIME d = ShiftDays(SYSTEMTIME{0, 1, 0, 1, 0, 0, 0, 0}, day % DaysInYearCycle);
    const std::int64_t index = d.wYear * 12 + d.wMonth - 1;
    for (std::int64_t i = index - 2; i <= index + 2; ++i) {
      months.insert((i + 65536 * 12) % (65536 * 12));
    }
  };
  for (const DayRange& r : ranges) {
    around(r.first);
    around(r.last);
  }
  around(DayNumber(AppState.LastPeriod));
  around(DayNumber(SubtractDays(AppState.LastPeriod, AppState.LutealPhase)));
  return months;
}

// The number of classified days found outside the ranges (naming the first few).
int DaysOutside(const char* name) {
  const std::vector<DayRange> ranges = PredictedDayRanges();
  int outside = 0;
  for (const std::int64_t index : MonthsToCheck(ranges)) {
    AppState.SelectedDate = Date(static_cast<int>(index / 12), static_cast<int>(index % 12) + 1, 1);
    const SYSTEMTIME& month = AppState.SelectedDate;
    for (int day = 1; day <= DaysInMonth(month.wYear, month.wMonth); ++day) {
      if (FertilityLevel(day) == 0 && CriticalLevel(day) == 0) continue;
      if (InRanges(ranges, DayNumber(Date(month.wYear, month.wMonth, day)))) continue;
      if (++outside <= 3) {
        ADD_FAILURE() << name << ": " << month.wYear << "-" << month.wMonth << "-" << day;
      }
    }
  }
  return outside;
}

TEST(PredictedDayRanges, HoldEveryClassifiedDay) {
  const SYSTEMTIME march1 = Date(2024, 3, 1);
  const struct {
    const char* name;
    std::int32_t cycle, menstrual, luteal;
    SYSTEMTIME last;
  } cases[] = {
      {"initial", 28, 5, 14, march1},
      {"cycle 1", 1, 5, 14, march1},
      {"cycle 3, periods overlap", 3, 5, 14, march1},
      {"cycle 400", 400, 5, 14, march1},
      {"cycle -400: the anchor alone", -400, 5, 14, march1},
      {"luteal 0", 28, 5, 0, march1},
      {"luteal negative", 28, 5, -3, march1},
      {"menstrual above cycle", 10, 40, 14, march1},
      {"luteal beyond cycle", 5, 3, 90, march1},
      {"cycle INT_MAX", INT_MAX, 7, 14, march1},
      {"cycle INT_MIN", INT_MIN, INT_MAX, INT_MIN, march1},
      {"luteal INT_MAX wraps years", 28, 5, INT_MAX, march1},
      {"year wrap", 28, 5, 14, Date(65535, 12, 20)},
  };
  for (const auto& c : cases) {
    Apply(c.cycle, c.menstrual, c.luteal, c.last);
    EXPECT_EQ(DaysOutside(c.name), 0);
  }
  std::mt19937 random(2207);
  std::uniform_int_distribution<std::int32_t> cycle(-400, 400), menstrual(-2, 40), luteal(-20, 60);
  for (int i = 0; i < 20; ++i) {
    Apply(cycle(random), menstrual(random), luteal(random), march1);
    const std::string name = "random " + std::to_string(AppState.CycleLength) + "/" +
                             std::to_string(AppState.MenstrualDays) + "/" +
                             std::to_string(AppState.LutealPhase);
    EXPECT_EQ(DaysOutside(name.c_str()), 0);
  }
  AppState = AppStateRecord{};
}

// The ranges are the predictions themselves, not a generous window around them: with the
// initial settings they begin on the last period and end on the last fertile window's end.
TEST(PredictedDayRanges, SpanExactlyThePredictions) {
  const struct {
    std::int32_t cycle, menstrual, luteal;
    std::int64_t first, last;  // days from the last period
    std::size_t count;
  } cases[] = {
      {28, 5, 14, 0, 379, 28},   // 14 periods and 14 windows
      {-400, 5, 14, -14, 4, 2},  // the ovulation anchor and the one period
      {-1, 5, 14, 0, 0, 0},      // nothing predicted
      {0, 5, 14, 0, 0, 0},
      {28, 0, 14, 11, 379, 14},  // windows only
  };
  for (const auto& c : cases) {
    Apply(c.cycle, c.menstrual, c.luteal, Date(2024, 3, 1));
    const std::vector<DayRange> ranges = PredictedDayRanges();
    ASSERT_EQ(ranges.size(), c.count) << c.cycle;
    if (ranges.empty()) continue;
    std::int64_t first = ranges[0].first, last = ranges[0].last;
    for (const DayRange& r : ranges) {
      first = std::min(first, r.first);
      last = std::max(last, r.last);
    }
    const std::int64_t start = DayNumber(Date(2024, 3, 1));
    EXPECT_EQ(first - start, c.first) << c.cycle;
    EXPECT_EQ(last - start, c.last) << c.cycle;
  }
  AppState = AppStateRecord{};
}

}  // namespace

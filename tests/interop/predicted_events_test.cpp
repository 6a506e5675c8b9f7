// The predictions as events: their days are the month view's, day for day, for ordinary and
// degenerate settings; runs split where the grid says a new period begins; far predictions
// are bounded and said to be left out.
#include "interop/predicted_events.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/app_state.h"
#include "model/calendar.h"
#include "view/day_class.h"

namespace {

SYSTEMTIME Date(int year, int month, int day) {
  return SYSTEMTIME{static_cast<WORD>(year), static_cast<WORD>(month), 0, static_cast<WORD>(day),
                    9, 0, 0, 0};
}

void Apply(std::int32_t cycle, std::int32_t menstrual, std::int32_t luteal, SYSTEMTIME last) {
  AppState = AppStateRecord{};
  AppState.CycleLength = cycle;
  AppState.MenstrualDays = menstrual;
  AppState.LutealPhase = luteal;
  AppState.LastPeriod = last;
  AppState.LastPeriodKnown = 1;
  AppState.SelectedDate = Date(2024, 5, 15);
}

// Day number -> a letter per kind of event covering it: 'p', 'w', 'm' (sorted, "" for none).
std::map<std::int64_t, std::string> EventDays(const std::vector<PredictedEvent>& events) {
  std::map<std::int64_t, std::string> days;
  for (const PredictedEvent& event : events) {
    const char letter = "pwm"[static_cast<int>(event.kind)];
    for (std::int64_t day = DayNumber(event.first); day <= DayNumber(event.last); ++day) {
      days[day] += letter;
    }
  }
  return days;
}

// What the grid says of a day, as the same letters.
std::string GridLetters(DayClass day_class) {
  switch (day_class) {
    case DayClass::kPeriodStart:
    case DayClass::kPeriod:
      return "p";
    case DayClass::kMostFertile:
      return "wm";
    case DayClass::kFertile:
      return "w";
    default:
      return "";
  }
}

// Compares the events with the grid over every month from a year before the last period to
// two years after it; returns the number of days that differ.
int DaysDifferingFromTheGrid(const std::vector<PredictedEvent>& events) {
  std::map<std::int64_t, std::string> days = EventDays(events);
  int differing = 0;
  const SYSTEMTIME last = AppState.LastPeriod;
  for (int index = (last.wYear - 1) * 12; index <= (last.wYear + 2) * 12 + 11; ++index) {
    AppState.SelectedDate = Date(index / 12, index % 12 + 1, 1);
    const SYSTEMTIME month = AppState.SelectedDate;
    for (int day = 1; day <= DaysInMonth(month.wYear, month.wMonth); ++day) {
      const std::int64_t number = DayNumber(Date(month.wYear, month.wMonth, day));
      const std::string expected = GridLetters(ClassifyDay(day, 0));
      const std::string got = days.count(number) != 0 ? days[number] : "";
      if (got != expected && ++differing <= 3) {
        ADD_FAILURE() << month.wYear << "-" << month.wMonth << "-" << day << ": grid '"
                      << expected << "', events '" << got << "'";
      }
    }
  }
  return differing;
}

TEST(PredictedEvents, FallOnTheDaysTheGridColours) {
  const SYSTEMTIME march1 = Date(2024, 3, 1);
  const struct {
    const char* name;
    std::int32_t cycle, menstrual, luteal;
    std::size_t periods, windows;
  } cases[] = {
      {"initial", 28, 5, 14, 14, 14},
      {"cycle 1: one long window", 1, 5, 14, 1, 1},
      {"cycle 3, periods overlap", 3, 5, 14, 1, 1},
      {"cycle 400", 400, 5, 14, 1, 1},
      {"cycle -400: a fertile day before the period", -400, 5, 14, 1, 1},
      {"luteal 0", 28, 5, 0, 14, 14},
      {"luteal negative", 28, 5, -3, 14, 14},
      {"menstrual above cycle: one long period", 10, 40, 14, 1, 1},
      {"periods end to end", 4, 4, 14, 92, 1},
      {"no menstrual days", 28, 0, 14, 0, 14},
      {"nothing predicted", -1, 5, 14, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Apply(c.cycle, c.menstrual, c.luteal, march1);
    const PredictedEvents predicted = CollectPredictedEvents();
    EXPECT_FALSE(predicted.cut);
    std::size_t counts[3] = {0, 0, 0};
    for (const PredictedEvent& event : predicted.events) {
      EXPECT_EQ(event.number, static_cast<int>(++counts[static_cast<int>(event.kind)]));
    }
    EXPECT_EQ(AppState.SelectedDate.wMonth, 5) << "the selection is given back";
    EXPECT_EQ(counts[0], c.periods);
    EXPECT_EQ(counts[1], c.windows);
    EXPECT_EQ(DaysDifferingFromTheGrid(predicted.events), 0);
  }
  AppState = AppStateRecord{};
}

TEST(PredictedEvents, FirstEventsOfTheInitialSettings) {
  Apply(28, 5, 14, Date(2024, 3, 1));
  const std::vector<PredictedEvent> events = CollectPredictedEvents().events;
  ASSERT_EQ(events.size(), 42u);
  const struct {
    EventKind kind;
    int first_day, last_day, number;  // of March 2024
  } expected[] = {{EventKind::kPeriod, 1, 5, 1},
                  {EventKind::kFertileWindow, 12, 16, 1},
                  {EventKind::kMostFertileDay, 15, 15, 1},
                  {EventKind::kPeriod, 29, 33, 2}};  // 29 March to 2 April
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(events[i].kind, expected[i].kind) << i;
    EXPECT_EQ(DayNumber(events[i].first), DayNumber(Date(2024, 3, expected[i].first_day))) << i;
    EXPECT_EQ(DayNumber(events[i].last), DayNumber(Date(2024, 3, 1)) + expected[i].last_day - 1)
        << i;
    EXPECT_EQ(events[i].number, expected[i].number) << i;
  }
  // The last fertile window ends on 15 March 2025, a year and two weeks on.
  std::int64_t last = 0;
  for (const PredictedEvent& event : events) last = std::max(last, DayNumber(event.last));
  EXPECT_EQ(last, DayNumber(Date(2025, 3, 15)));
  AppState = AppStateRecord{};
}

TEST(PredictedEvents, FarPredictionsAreLeftOutAndSaidToBe) {
  const struct {
    const char* name;
    std::int32_t cycle, menstrual;
    SYSTEMTIME last;
    bool cut;
  } cases[] = {
      {"an endless period", 28, INT_MAX, Date(2024, 3, 1), true},
      {"beyond the year 3000", 28, 5, Date(3000, 10, 1), true},
      {"just within", 28, 5, Date(2999, 10, 1), false},
      {"before the year 1", 28, 5, Date(0, 12, 1), true},
      {"no last period", 28, 5, Date(2024, 3, 1), false},
  };
  for (const auto& c : cases) {
    Apply(c.cycle, c.menstrual, 14, c.last);
    if (std::string(c.name) == "no last period") AppState.LastPeriodKnown = 0;
    const PredictedEvents predicted = CollectPredictedEvents();
    EXPECT_EQ(predicted.cut, c.cut) << c.name;
    for (const PredictedEvent& event : predicted.events) {
      EXPECT_LE(DayNumber(event.last), DayNumber(Date(3000, 11, 30))) << c.name;
      EXPECT_GE(DayNumber(event.first), DayNumber(Date(1, 1, 1))) << c.name;
      EXPECT_LE(DayNumber(event.last) - DayNumber(c.last), 100 * 366) << c.name;
    }
    if (std::string(c.name) == "no last period") {
      EXPECT_TRUE(predicted.events.empty());
    }
  }
  AppState = AppStateRecord{};
}

}  // namespace

#include "model/calendar.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <random>
#include <string>

namespace {

LocalDateTime Date(int year, int month, int day, int hour = 0, int minute = 0) {
  return LocalDateTime{CivilDay(year, month, day), hour, minute};
}

// The same date at a time of day that stepping must leave alone.
LocalDateTime Dressed(LocalDateTime date) {
  date.hour = 23;
  date.minute = 59;
  date.second = 58;
  date.millisecond = 999;
  return date;
}

std::string Show(const LocalDateTime& d) {
  return std::to_string(d.date.day()) + "." + std::to_string(d.date.month()) + "." +
         std::to_string(d.date.year()) + " dow " + std::to_string(d.date.weekday()) + " " +
         std::to_string(d.hour) + ":" + std::to_string(d.minute) + ":" + std::to_string(d.second) +
         "." + std::to_string(d.millisecond);
}

bool Same(const LocalDateTime& a, const LocalDateTime& b) { return a == b; }

// The reference for every faster date computation: the date's fields stepped one day at a
// time, the year wrapping from 65535 to 0 and back.
LocalDateTime LiteralNext(LocalDateTime date) {
  std::int32_t y = date.date.year(), m = date.date.month(), d = date.date.day() + 1;
  if (d > DaysInMonth(y, m)) {
    d = 1;
    if (++m > 12) {
      m = 1;
      y = y == 65535 ? 0 : y + 1;
    }
  }
  return OnDay(date, CivilDay(y, m, d));
}
LocalDateTime LiteralPrevious(LocalDateTime date) {
  std::int32_t y = date.date.year(), m = date.date.month(), d = date.date.day() - 1;
  if (d == 0) {
    if (--m == 0) {
      m = 12;
      y = y == 0 ? 65535 : y - 1;
    }
    d = DaysInMonth(y, m);
  }
  return OnDay(date, CivilDay(y, m, d));
}
LocalDateTime StepForward(LocalDateTime date, std::int64_t n) {
  for (std::int64_t i = 0; i < n; ++i) date = LiteralNext(date);
  return date;
}
LocalDateTime StepBack(LocalDateTime date, std::int64_t n) {
  for (std::int64_t i = 0; i < n; ++i) date = LiteralPrevious(date);
  return date;
}

// The classic weekday count, exact from 1 January 1901 on.
std::int32_t WeekdayFrom1901(std::int32_t day, std::int32_t month, std::int32_t year) {
  std::int32_t s = 365 * year + DaysBeforeMonth[month] + day + LeapYearsSince1901(year) - 693864;
  if (month <= 2 && IsLeapYear(year)) s -= 1;
  return s % 7;
}

TEST(Calendar, LeapYearRules) {
  const struct {
    std::int32_t year;
    bool leap;
    std::int32_t since1901;
  } cases[] = {
      {0, true, 0},     {1, false, 0},     {1600, true, 0},       {1900, false, 0},
      {1901, false, 0}, {1904, true, 1},   {2000, true, 25},      {2023, false, 30},
      {2024, true, 31}, {2100, false, 49}, {65535, false, 15431}, {-4, true, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsLeapYear(c.year), c.leap) << c.year;
    EXPECT_EQ(LeapYearsSince1901(c.year), c.since1901) << c.year;
  }
}

TEST(Calendar, DaysInMonth) {
  const struct {
    std::int32_t year, month, days;
  } cases[] = {
      {2000, 2, 29},
      {1900, 2, 28},
      {2100, 2, 28},
      {2024, 2, 29},
      {2023, 2, 28},
      {0, 2, 29},
      {2024, 1, 31},
      {2024, 4, 30},
      {2024, 6, 30},
      {2024, 9, 30},
      {2024, 11, 30},
      {2024, 12, 31},
      // Any other month value is 31 days long.
      {2024, 0, 31},
      {2024, 13, 31},
      {2024, -2, 31},
      {2024, 65535, 31},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DaysInMonth(c.year, c.month), c.days) << c.year << "-" << c.month;
}

TEST(Calendar, DayOfWeekOfKnownDates) {
  const struct {
    std::int32_t day, month, year, weekday;
  } cases[] = {
      {1, 1, 1901, 2},
      {1, 1, 1995, 0},
      {1, 1, 2024, 1},
      {29, 2, 2000, 2},
      {1, 3, 2000, 3},
      {28, 2, 2100, 0},
      {1, 3, 2100, 1},
      {15, 3, 2024, 5},
      // Before 1901 the weekday stays a true weekday, 0 to 6.
      {31, 12, 1900, 1},
      {1, 1, 1900, 1},
      {4, 7, 1776, 4},
      {15, 10, 1582, 5},
      {1, 1, 1600, 6},
      {29, 2, 1600, 2},
      {1, 3, 0, 3},
      {1, 1, 0, 6},
      // Fields outside their ranges count on: months into the years around, days from the 1st.
      {1, 13, 2023, 1},
      {1, 0, 2024, 5},
      {1, -11, 2024, 0},
      {0, 3, 2024, 4},
      {32, 1, 2024, 4},
      {0, 1, 1900, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DayOfWeek(c.day, c.month, c.year), c.weekday)
        << c.day << "." << c.month << "." << c.year;
  }
}

TEST(Calendar, SingleStepsKeepTheUntouchedFields) {
  const struct {
    LocalDateTime day, next;
  } cases[] = {
      {Date(2024, 1, 31), Date(2024, 2, 1)}, {Date(2024, 2, 28), Date(2024, 2, 29)},
      {Date(2024, 2, 29), Date(2024, 3, 1)}, {Date(2023, 2, 28), Date(2023, 3, 1)},
      {Date(2024, 4, 30), Date(2024, 5, 1)}, {Date(2024, 12, 31), Date(2025, 1, 1)},
      {Date(1900, 2, 28), Date(1900, 3, 1)}, {Date(2000, 2, 28), Date(2000, 2, 29)},
      {Date(65535, 12, 31), Date(0, 1, 1)},  {Date(0, 2, 28), Date(0, 2, 29)},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Same(NextDay(Dressed(c.day)), Dressed(c.next))) << Show(c.day);
    EXPECT_TRUE(Same(PreviousDay(Dressed(c.next)), Dressed(c.day))) << Show(c.next);
  }
}

TEST(Calendar, AddAndSubtractDays) {
  const struct {
    LocalDateTime from;
    std::int32_t n;
    LocalDateTime added, subtracted;
  } cases[] = {
      {Date(2024, 3, 1), 0, Date(2024, 3, 1), Date(2024, 3, 1)},
      {Date(2024, 3, 1), -5, Date(2024, 3, 1), Date(2024, 3, 1)},
      {Date(2024, 3, 1), INT_MIN, Date(2024, 3, 1), Date(2024, 3, 1)},
      {Date(2024, 3, 1), 365, Date(2025, 3, 1), Date(2023, 3, 2)},
      {Date(2024, 3, 1), 14, Date(2024, 3, 15), Date(2024, 2, 16)},
      {Date(2024, 2, 16), 28, Date(2024, 3, 15), Date(2024, 1, 19)},
      {Date(65535, 12, 25), 10, Date(0, 1, 4), Date(65535, 12, 15)},
      {Date(0, 1, 3), 5, Date(0, 1, 8), Date(65535, 12, 29)},
      {Date(2024, 3, 1), 23936532, Date(2024, 3, 1), Date(2024, 3, 1)},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Same(AddDays(Dressed(c.from), c.n), Dressed(c.added)))
        << Show(c.from) << " + " << c.n;
    EXPECT_TRUE(Same(SubtractDays(Dressed(c.from), c.n), Dressed(c.subtracted)))
        << Show(c.from) << " - " << c.n;
  }
}

TEST(Calendar, AddAndSubtractDaysMatchSteppingOnRandomDates) {
  std::mt19937 random(20240301);
  std::uniform_int_distribution<int> year_near_wrap(-8, 8);
  std::uniform_int_distribution<int> any_year(0, 65535);
  std::uniform_int_distribution<int> month(1, 12);
  std::uniform_int_distribution<int> field(0, 999);
  std::uniform_int_distribution<std::int32_t> small(1, 1000);
  std::uniform_int_distribution<std::int32_t> large(1000, 200000);
  for (int i = 0; i < 300; ++i) {
    const int year = i % 3 == 0 ? (year_near_wrap(random) + 65536) % 65536 : any_year(random);
    const int m = month(random);
    const int d = std::uniform_int_distribution<int>(1, DaysInMonth(year, m))(random);
    LocalDateTime from = Date(year, m, d);
    from.hour = field(random) % 24;
    from.second = field(random) % 60;
    from.millisecond = field(random);
    const std::int32_t n = i % 4 == 0 ? large(random) : small(random);
    ASSERT_TRUE(Same(AddDays(from, n), StepForward(from, n))) << Show(from) << " + " << n;
    ASSERT_TRUE(Same(SubtractDays(from, n), StepBack(from, n))) << Show(from) << " - " << n;
  }
}

TEST(Calendar, AddDaysOfTheLargestCountMatchesStepping) {
  // A full cycle of steps leaves every date where it was (see the walk below), so the
  // INT_MAX steps of the reference reduce to INT_MAX mod DaysInYearCycle.
  const LocalDateTime from = Dressed(Date(2024, 3, 1));
  const std::int64_t steps = INT_MAX % DaysInYearCycle;
  EXPECT_TRUE(Same(AddDays(from, INT_MAX), StepForward(from, steps)));
  EXPECT_TRUE(Same(SubtractDays(from, INT_MAX), StepBack(from, steps)));
}

TEST(Calendar, DayNumberAndShiftDays) {
  const struct {
    LocalDateTime date;
    std::int64_t number;
  } cases[] = {
      {Date(0, 1, 1), 0},         {Date(0, 3, 1), 60},        {Date(1, 1, 1), 366},
      {Date(1970, 1, 1), 719528}, {Date(2024, 3, 1), 739311}, {Date(65535, 12, 31), 23936531},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DayNumber(c.date.date), c.number) << Show(c.date);
    EXPECT_TRUE(Same(ShiftDays(Date(0, 1, 1), c.number), c.date)) << Show(c.date);
    EXPECT_TRUE(Same(ShiftDays(c.date, -c.number), Date(0, 1, 1))) << Show(c.date);
  }
  const LocalDateTime day = Dressed(Date(2024, 3, 1));
  const std::int64_t extremes[] = {INT64_MIN, INT64_MAX, -DaysInYearCycle, 5 * DaysInYearCycle};
  for (const std::int64_t n : extremes) {
    const std::int64_t reduced = (n % DaysInYearCycle + DaysInYearCycle) % DaysInYearCycle;
    EXPECT_TRUE(Same(ShiftDays(day, n), ShiftDays(day, reduced))) << n;
  }
}

// One walk over all 23,936,532 days of the 16-bit years: day numbers, shifts and weekdays agree
// with the literal step at every step, and the walk closes on the day it began. Weekdays run on
// without a break except across the wrap, as 65536 years are not a whole number of weeks.
TEST(Calendar, WalkOverTheWholeYearCycle) {
  const LocalDateTime start = Dressed(Date(0, 1, 1));
  LocalDateTime day = start;
  std::int32_t weekday = DayOfWeek(1, 1, 0);
  int failures = 0;
  for (std::int64_t i = 0; i < DaysInYearCycle && failures < 5; ++i) {
    const LocalDateTime next = LiteralNext(day);
    const std::int32_t next_weekday =
        DayOfWeek(next.date.day(), next.date.month(), next.date.year());
    const bool ok =
        DayNumber(day.date) == i && Same(ShiftDays(start, i), day) && Same(NextDay(day), next) &&
        Same(PreviousDay(next), day) && next.date.weekday() == next_weekday &&
        (next_weekday == (weekday + 1) % 7 ||
         (day.date.year() == 65535 && next.date.year() == 0)) &&
        (next.date.year() < 1901 ||
         next_weekday == WeekdayFrom1901(next.date.day(), next.date.month(), next.date.year()));
    if (!ok) {
      ADD_FAILURE() << "day " << i << ": " << Show(day);
      ++failures;
    }
    day = next;
    weekday = next_weekday;
  }
  EXPECT_TRUE(Same(day, start)) << Show(day);
}

TEST(Calendar, DaysBetweenCountsWholeDaysOfTheInterval) {
  const struct {
    LocalDateTime from, to;
    std::int64_t days;
  } cases[] = {
      {Date(2024, 3, 1, 10), Date(2024, 3, 29, 10), 28},
      {Date(2024, 3, 1, 15), Date(2024, 3, 29, 10), 27},
      {Date(2024, 3, 29, 10), Date(2024, 3, 1, 15), -27},
      {Date(2024, 2, 29, 9), Date(2025, 3, 1, 9), 366},
      {Date(2024, 3, 1, 0, 1), Date(2024, 3, 1, 23, 59), 0},
      {Date(2024, 3, 1, 23, 59), Date(2024, 3, 1, 0, 1), 0},
      {Date(1601, 1, 1), Date(1600, 1, 1), -366},
      {Date(0, 1, 1), Date(1, 1, 1), 366},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DaysBetween(c.from, c.to), c.days) << Show(c.from) << " -> " << Show(c.to);
}

}  // namespace

#include "platform/dates/civil_days.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using civil::CivilDate;
using civil::CivilDateOf;
using civil::CivilDaysFrom;
using civil::WeekdayOf;

constexpr std::int64_t kFarYear = std::int64_t{1} << 40;

// Usable in constant expressions, at both ends of the range the functions promise.
static_assert(CivilDateOf(CivilDaysFrom(kFarYear, 12, 31)) == CivilDate{kFarYear, 12, 31});
static_assert(CivilDateOf(CivilDaysFrom(-kFarYear, 1, 1)) == CivilDate{-kFarYear, 1, 1});
static_assert(civil::LastDayOfMonth(-4, 2) == 29 && civil::LastDayOfMonth(-100, 2) == 28);

std::string Show(const CivilDate& d) {
  return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

TEST(CivilDays, KnownDatesConvertBothWays) {
  const struct {
    CivilDate date;
    std::int64_t days;
    unsigned weekday;
  } cases[] = {
      {{1970, 1, 1}, 0, 4},
      {{1969, 12, 31}, -1, 3},
      {{2026, 9, 30}, 20726, 3},
      {{1601, 1, 1}, -134774, 1},
      {{1582, 10, 15}, -141427, 5},
      {{1900, 2, 28}, -25509, 3},
      {{1900, 3, 1}, -25508, 4},
      {{2000, 2, 29}, 11016, 2},
      {{2000, 3, 1}, 11017, 3},
      {{2100, 3, 1}, 47541, 1},
      {{0, 1, 1}, -719528, 6},
      {{0, 2, 29}, -719469, 2},
      {{0, 3, 1}, -719468, 3},
      {{-1, 12, 31}, -719529, 5},
      {{-1, 3, 1}, -719834, 1},
      {{-4, 2, 29}, -720930, 4},
      {{-400, 3, 1}, -865565, 3},
      {{-401, 2, 28}, -865932, 0},
      {{65535, 12, 31}, 23217003, 2},
      {{65536, 1, 1}, 23217004, 3},
      {{kFarYear, 12, 31}, 401588374988813, 2},
      {{-kFarYear, 1, 1}, -401588376427504, 4},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CivilDaysFrom(c.date.year, c.date.month, c.date.day), c.days) << Show(c.date);
    EXPECT_EQ(CivilDateOf(c.days), c.date) << c.days;
    EXPECT_EQ(WeekdayOf(c.days), c.weekday) << c.days;
  }
}

// Around the turns of 400-year eras, centuries and the sign of the year, far from day 0:
// February has its Gregorian length, March follows it, and an era is 146097 days long.
TEST(CivilDays, EraAndCenturyTurnsFarFromDayZero) {
  const std::int64_t years[] = {
      -kFarYear, -kFarYear + 1, -800000, -400,           -100,          -4, -1, 0, 1, 100, 400,
      1600,      1700,          800000,  kFarYear - 401, kFarYear - 400};
  for (const std::int64_t year : years) {
    const bool leap = year % 400 == 0 || (year % 100 != 0 && year % 4 == 0);
    const std::int64_t march = CivilDaysFrom(year, 3, 1);
    EXPECT_EQ(CivilDateOf(march - 1), (CivilDate{year, 2, leap ? 29u : 28u})) << year;
    EXPECT_EQ(CivilDateOf(march), (CivilDate{year, 3, 1})) << year;
    EXPECT_EQ(CivilDaysFrom(year + 1, 1, 1) - CivilDaysFrom(year, 1, 1), leap ? 366 : 365) << year;
    EXPECT_EQ(CivilDaysFrom(year + 400, 3, 1) - march, 146097) << year;
    EXPECT_EQ(CivilDateOf(CivilDaysFrom(year, 12, 31) + 1), (CivilDate{year + 1, 1, 1})) << year;
    EXPECT_EQ((WeekdayOf(march) + 146097 % 7) % 7, WeekdayOf(march + 146097)) << year;
  }
}

// Every day from year -800 to the end of year 65535, the span of the 16-bit years and the
// tick conversions with room before it: each day count names the date that a plain
// day-by-day step reaches, converts back to itself, and the weekday advances by one.
TEST(CivilDays, WalkOverEveryDayOfTheSystemsYears) {
  constexpr unsigned kLength[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  CivilDate date{-800, 1, 1};
  const std::int64_t first = CivilDaysFrom(date.year, 1, 1);
  const std::int64_t end = CivilDaysFrom(65536, 1, 1);
  unsigned weekday = WeekdayOf(first);
  for (std::int64_t days = first; days < end; ++days) {
    ASSERT_EQ(CivilDateOf(days), date) << days;
    ASSERT_EQ(CivilDaysFrom(date.year, date.month, date.day), days) << Show(date);
    ASSERT_EQ(WeekdayOf(days), weekday) << days;
    const bool leap = date.year % 400 == 0 || (date.year % 100 != 0 && date.year % 4 == 0);
    ASSERT_EQ(civil::LastDayOfMonth(date.year, date.month),
              kLength[date.month - 1] + (date.month == 2 && leap ? 1 : 0))
        << Show(date);
    weekday = (weekday + 1) % 7;
    if (++date.day > kLength[date.month - 1] + (date.month == 2 && leap ? 1 : 0)) {
      date.day = 1;
      if (++date.month > 12) {
        date.month = 1;
        ++date.year;
      }
    }
  }
  EXPECT_EQ(date, (CivilDate{65536, 1, 1}));
}

}  // namespace

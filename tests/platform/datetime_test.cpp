#include "platform/dates/datetime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <random>
#include <string>

namespace {

constexpr std::int64_t kTicksPerDay = TicksPerDay;

LocalDateTime Date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return LocalDateTime{CivilDay(y, mo, d), h, mi, s, ms};
}

std::uint64_t Ticks(const LocalDateTime& t) { return TicksOf(t); }

LocalDateTime FromTicks(std::uint64_t count) { return LocalDateTimeOfTicks(count); }

// Zeller's congruence, an oracle independent of the day-count arithmetic under test.
int ZellerWeekday(int y, int m, int d) {
  if (m < 3) {
    m += 12;
    y -= 1;
  }
  const auto floor_div = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  const int k = y - 100 * floor_div(y, 100);
  const int j = floor_div(y, 100);
  const int h = d + 13 * (m + 1) / 5 + k + k / 4 + floor_div(j, 4) + 5 * j;
  return ((h % 7 + 7) % 7 + 6) % 7;  // Zeller counts from Saturday
}

void ExpectSameFields(const LocalDateTime& got, const LocalDateTime& want) {
  EXPECT_EQ(got.date.year(), want.date.year());
  EXPECT_EQ(got.date.month(), want.date.month());
  EXPECT_EQ(got.date.day(), want.date.day());
  EXPECT_EQ(got.hour, want.hour);
  EXPECT_EQ(got.minute, want.minute);
  EXPECT_EQ(got.second, want.second);
  EXPECT_EQ(got.millisecond, want.millisecond);
  EXPECT_EQ(got.date.weekday(),
            ZellerWeekday(want.date.year(), want.date.month(), want.date.day()));
}

std::string Show(const LocalDateTime& t) {
  return std::to_string(t.date.year()) + "-" + std::to_string(t.date.month()) + "-" +
         std::to_string(t.date.day());
}

TEST(DateTime, KnownInstantsConvertBothWays) {
  struct Case {
    LocalDateTime date;
    std::int64_t ticks;  // as a signed 64-bit count
    int weekday;
  };
  const Case cases[] = {
      {Date(1601, 1, 1), 0, 1},
      {Date(1600, 12, 31), -kTicksPerDay, 0},
      {Date(1600, 12, 31, 23, 59, 59, 999), -10000, 0},
      {Date(0, 1, 1), -584754 * kTicksPerDay, 6},
      {Date(1, 1, 1), -584388 * kTicksPerDay, 1},
      {Date(1970, 1, 1), 116444736000000000, 4},
      {Date(2024, 2, 29, 9, 30, 15, 250), 133536726152500000, 4},
      {Date(30828, 9, 14, 2, 48, 5, 477), 9223372036854770000, 4},  // last before 2^63
      {Date(30828, 9, 14, 2, 48, 5, 478), INT64_MIN + 4192, 4},     // first past it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.date));
    EXPECT_EQ(static_cast<std::int64_t>(Ticks(c.date)), c.ticks);
    const LocalDateTime back = FromTicks(static_cast<std::uint64_t>(c.ticks));
    ExpectSameFields(back, c.date);
    EXPECT_EQ(back.date.weekday(), c.weekday);
  }
}

TEST(DateTime, RoundTripsAcrossTheWholeSpan) {
  const LocalDateTime dates[] = {
      Date(0, 1, 1),
      Date(0, 2, 29, 12),
      Date(1600, 2, 29, 23, 59, 59, 999),
      Date(1601, 1, 1),
      Date(1582, 10, 4),
      Date(1582, 10, 15),
      Date(9999, 12, 31),
      Date(10000, 1, 1),
      Date(30828, 12, 31),
      Date(30829, 1, 1),
      Date(58454, 12, 31, 23, 59, 59, 999),
      Date(58455, 5, 28, 5, 36, 10, 955),  // the last instant of the span
  };
  for (const LocalDateTime& d : dates) ExpectSameFields(FromTicks(Ticks(d)), d);

  std::mt19937_64 random(20240930);
  std::uniform_int_distribution<std::uint64_t> instant(0, UINT64_MAX / 10000);
  const std::uint64_t year0 = static_cast<std::uint64_t>(-584754 * kTicksPerDay);
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t count = year0 + instant(random) * 10000;  // whole milliseconds
    const LocalDateTime t = FromTicks(count);
    ASSERT_EQ(Ticks(t), count);
    ASSERT_EQ(t.date.weekday(), ZellerWeekday(t.date.year(), t.date.month(), t.date.day()));
  }
}

// Every day of years 0 to 65535, stepped one at a time: each is one TicksPerDay after the
// one before, and converts back to itself with its weekday while inside the span.
TEST(DateTime, WholeYearRangeWalkedDayByDay) {
  const int month_length[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const LocalDateTime start = Date(0, 1, 1, 13, 7, 9, 5);
  std::uint64_t previous = Ticks(start) - kTicksPerDay;
  int weekday = 6;
  for (int year = 0; year <= 65535; ++year) {
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    for (int month = 1; month <= 12; ++month) {
      const int length = month_length[month - 1] + (month == 2 && leap ? 1 : 0);
      for (int d = 1; d <= length; ++d) {
        const LocalDateTime day = OnDay(start, CivilDay(year, month, d));
        const std::uint64_t count = Ticks(day);
        ASSERT_EQ(count - previous, static_cast<std::uint64_t>(kTicksPerDay))
            << year << "-" << month << "-" << d;
        previous = count;
        if (year > 58454) continue;
        const LocalDateTime back = FromTicks(count);
        ASSERT_TRUE(back == day && back.date.year() == year && back.date.month() == month &&
                    back.date.day() == d && back.date.weekday() == weekday)
            << year << "-" << month << "-" << d;
        weekday = (weekday + 1) % 7;
      }
    }
  }
}

TEST(DateTime, WrappedCountsReadAsTheSpanFromYearZero) {
  // 60055-06-01 12:00 lies past 2^64 ticks: its count names the instant 2^64 ticks
  // (21350398 days 05:36:10.9551616) earlier.
  ExpectSameFields(FromTicks(Ticks(Date(60055, 6, 1, 12))), Date(1600, 1, 5, 6, 23, 49, 44));
  // One past the last instant of the span is the first instant of year 0 again, to the tick.
  const std::uint64_t last = Ticks(Date(58455, 5, 28, 5, 36, 10, 955));
  ExpectSameFields(FromTicks(last + 1615), Date(58455, 5, 28, 5, 36, 10, 955));
  ExpectSameFields(FromTicks(last + 1616), Date(0, 1, 1));
}

TEST(DateTime, OneCalendarDayIsTicksPerDay) {
  struct Case {
    LocalDateTime from, to;
  };
  const Case cases[] = {
      {Date(2024, 2, 28, 10), Date(2024, 2, 29, 10)},
      {Date(2024, 2, 29, 10), Date(2024, 3, 1, 10)},
      {Date(2023, 2, 28, 10), Date(2023, 3, 1, 10)},
      {Date(1900, 2, 28), Date(1900, 3, 1)},
      {Date(2000, 2, 29), Date(2000, 3, 1)},
      {Date(2024, 12, 31, 23, 59, 59, 999), Date(2025, 1, 1, 23, 59, 59, 999)},
      {Date(1600, 2, 29, 7), Date(1600, 3, 1, 7)},
      {Date(1600, 12, 31, 12), Date(1601, 1, 1, 12)},  // negative to positive
      {Date(1582, 10, 4), Date(1582, 10, 5)},          // no Julian gap
      {Date(0, 12, 31), Date(1, 1, 1)},
      {Date(30828, 9, 14), Date(30828, 9, 15)},  // across 2^63
      {Date(60056, 5, 28), Date(60056, 5, 29)},  // across 2^64
      {Date(65535, 12, 30, 18), Date(65535, 12, 31, 18)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Show(c.from));
    EXPECT_EQ(static_cast<std::int64_t>(Ticks(c.to) - Ticks(c.from)), kTicksPerDay);
    EXPECT_EQ(static_cast<std::int64_t>(Ticks(c.from) - Ticks(c.to)), -kTicksPerDay);
  }
}

TEST(DateTime, OnlyRealDatesAndTimesOfDayAreValid) {
  const struct {
    int year, month, day;
    bool real;
  } dates[] = {
      {2024, 0, 1, false},  {2024, 13, 1, false}, {2024, 1, 0, false},  {2024, 1, 32, false},
      {2023, 2, 29, false}, {1900, 2, 29, false}, {2024, 2, 30, false}, {2024, 4, 31, false},
      {2000, 2, 29, true},  {0, 2, 29, true},     {2024, 2, 29, true},  {65535, 12, 31, true},
  };
  for (const auto& c : dates) {
    EXPECT_EQ(IsRealDate(c.year, c.month, c.day), c.real)
        << c.year << "-" << c.month << "-" << c.day;
  }
  const LocalDateTime invalid[] = {Date(2024, 1, 1, 24), Date(2024, 1, 1, 0, 60),
                                   Date(2024, 1, 1, 0, 0, 60), Date(2024, 1, 1, 0, 0, 0, 1000),
                                   Date(2024, 1, 1, -1)};
  for (const LocalDateTime& t : invalid) EXPECT_FALSE(IsValidTimeOfDay(t)) << t.hour;
  EXPECT_TRUE(IsValidTimeOfDay(Date(2024, 1, 1, 23, 59, 59, 999)));
}

TEST(DateTime, DateTimesOrderAsInstants) {
  const LocalDateTime ordered[] = {Date(1999, 12, 31, 23, 59, 59, 999),
                                   Date(2000, 1, 1),
                                   Date(2000, 1, 1, 0, 0, 0, 1),
                                   Date(2000, 1, 1, 0, 1),
                                   Date(2000, 1, 1, 1),
                                   Date(2000, 1, 2)};
  for (std::size_t i = 1; i < std::size(ordered); ++i) {
    EXPECT_LT(ordered[i - 1], ordered[i]) << i;
    EXPECT_LT(Ticks(ordered[i - 1]), Ticks(ordered[i])) << i;
  }
}

class LocalClock : public testing::Test {
 protected:
  void TearDown() override { UseRealLocalClock(); }
};

TEST_F(LocalClock, FixedTimeIsReturnedUntilTheRealClockIsAskedFor) {
  const LocalDateTime fixed = Date(2026, 9, 30, 8, 15, 42, 123);
  ASSERT_TRUE(FixLocalClock(fixed));
  ExpectSameFields(LocalNow(), fixed);
  EXPECT_EQ(LocalNow().date.weekday(), 3);

  EXPECT_FALSE(FixLocalClock(Date(2026, 2, 28, 24)));
  ExpectSameFields(LocalNow(), fixed);  // the earlier fixed time stays
}

TEST_F(LocalClock, RealClockGivesTheLocalDateAndItsWeekday) {
  FixLocalClock(Date(1999, 1, 1));
  UseRealLocalClock();
  const std::time_t before = std::time(nullptr);
  const LocalDateTime now = LocalNow();
  const std::time_t after = std::time(nullptr);
  std::tm local{};
  localtime_r(&before, &local);
  if (before != after) GTEST_SKIP() << "the second changed during the test";
  EXPECT_EQ(now.date.year(), local.tm_year + 1900);
  EXPECT_EQ(now.date.month(), local.tm_mon + 1);
  EXPECT_EQ(now.date.day(), local.tm_mday);
  EXPECT_EQ(now.hour, local.tm_hour);
  EXPECT_EQ(now.minute, local.tm_min);
  EXPECT_EQ(now.date.weekday(), local.tm_wday);
  EXPECT_LT(now.millisecond, 1000);
}

}  // namespace

#include "platform/dates/datetime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <random>

namespace {

constexpr std::int64_t kTicksPerDay = 864000000000;

SYSTEMTIME Date(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return SYSTEMTIME{static_cast<WORD>(y), static_cast<WORD>(mo), 0,
                    static_cast<WORD>(d), static_cast<WORD>(h),  static_cast<WORD>(mi),
                    static_cast<WORD>(s), static_cast<WORD>(ms)};
}

std::uint64_t Ticks(const SYSTEMTIME& t) {
  FILETIME ft{};
  EXPECT_EQ(SystemTimeToFileTime(&t, &ft), TRUE) << t.wYear << "-" << t.wMonth << "-" << t.wDay;
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

SYSTEMTIME FromTicks(std::uint64_t count) {
  const FILETIME ft{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)};
  SYSTEMTIME t{};
  EXPECT_EQ(FileTimeToSystemTime(&ft, &t), TRUE);
  return t;
}

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

void ExpectSameFields(const SYSTEMTIME& got, const SYSTEMTIME& want) {
  EXPECT_EQ(got.wYear, want.wYear);
  EXPECT_EQ(got.wMonth, want.wMonth);
  EXPECT_EQ(got.wDay, want.wDay);
  EXPECT_EQ(got.wHour, want.wHour);
  EXPECT_EQ(got.wMinute, want.wMinute);
  EXPECT_EQ(got.wSecond, want.wSecond);
  EXPECT_EQ(got.wMilliseconds, want.wMilliseconds);
  EXPECT_EQ(got.wDayOfWeek, ZellerWeekday(want.wYear, want.wMonth, want.wDay));
}

TEST(DateTime, KnownInstantsConvertBothWays) {
  struct Case {
    SYSTEMTIME date;
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
    SCOPED_TRACE(testing::Message() << c.date.wYear << "-" << c.date.wMonth << "-" << c.date.wDay);
    EXPECT_EQ(static_cast<std::int64_t>(Ticks(c.date)), c.ticks);
    const SYSTEMTIME back = FromTicks(static_cast<std::uint64_t>(c.ticks));
    ExpectSameFields(back, c.date);
    EXPECT_EQ(back.wDayOfWeek, c.weekday);
  }
}

TEST(DateTime, RoundTripsAcrossTheWholeSpan) {
  const SYSTEMTIME dates[] = {
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
  for (const SYSTEMTIME& d : dates) ExpectSameFields(FromTicks(Ticks(d)), d);

  std::mt19937_64 random(20240930);
  std::uniform_int_distribution<std::uint64_t> instant(0, UINT64_MAX / 10000);
  const std::uint64_t year0 = static_cast<std::uint64_t>(-584754 * kTicksPerDay);
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t count = year0 + instant(random) * 10000;  // whole milliseconds
    const SYSTEMTIME t = FromTicks(count);
    ASSERT_EQ(Ticks(t), count);
    ASSERT_EQ(t.wDayOfWeek, ZellerWeekday(t.wYear, t.wMonth, t.wDay));
  }
}

// Every day of years 0 to 65535, stepped one at a time: each is one TicksPerDay after the
// one before, and converts back to itself with its weekday while inside the span.
TEST(DateTime, WholeYearRangeWalkedDayByDay) {
  const int month_length[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  SYSTEMTIME day = Date(0, 1, 1, 13, 7, 9, 5);
  std::uint64_t previous = Ticks(day) - kTicksPerDay;
  int weekday = 6;
  for (int year = 0; year <= 65535; ++year) {
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    day.wYear = static_cast<WORD>(year);
    for (int month = 1; month <= 12; ++month) {
      day.wMonth = static_cast<WORD>(month);
      const int length = month_length[month - 1] + (month == 2 && leap ? 1 : 0);
      for (int d = 1; d <= length; ++d) {
        day.wDay = static_cast<WORD>(d);
        FILETIME ft{};
        SystemTimeToFileTime(&day, &ft);
        const std::uint64_t count =
            (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
        ASSERT_EQ(count - previous, static_cast<std::uint64_t>(kTicksPerDay))
            << year << "-" << month << "-" << d;
        previous = count;
        if (year > 58454) continue;
        SYSTEMTIME back{};
        FileTimeToSystemTime(&ft, &back);
        ASSERT_TRUE(back.wYear == day.wYear && back.wMonth == day.wMonth && back.wDay == day.wDay &&
                    back.wHour == 13 && back.wMinute == 7 && back.wSecond == 9 &&
                    back.wMilliseconds == 5 && back.wDayOfWeek == weekday)
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
    SYSTEMTIME from, to;
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
    SCOPED_TRACE(testing::Message() << c.from.wYear << "-" << c.from.wMonth << "-" << c.from.wDay);
    EXPECT_EQ(static_cast<std::int64_t>(Ticks(c.to) - Ticks(c.from)), kTicksPerDay);
    EXPECT_EQ(static_cast<std::int64_t>(Ticks(c.from) - Ticks(c.to)), -kTicksPerDay);
  }
}

TEST(DateTime, InvalidFieldsAreRejectedAndNothingWritten) {
  const SYSTEMTIME invalid[] = {
      Date(2024, 0, 1),        Date(2024, 13, 1),          Date(2024, 1, 0),
      Date(2024, 1, 32),       Date(2023, 2, 29),          Date(1900, 2, 29),
      Date(2024, 2, 30),       Date(2024, 4, 31),          Date(2024, 1, 1, 24),
      Date(2024, 1, 1, 0, 60), Date(2024, 1, 1, 0, 0, 60), Date(2024, 1, 1, 0, 0, 0, 1000),
  };
  for (const SYSTEMTIME& d : invalid) {
    FILETIME ft{0xDEADBEEF, 0xCAFEF00D};
    EXPECT_EQ(SystemTimeToFileTime(&d, &ft), FALSE) << d.wYear << "-" << d.wMonth << "-" << d.wDay;
    EXPECT_EQ(ft.dwLowDateTime, 0xDEADBEEFu);
    EXPECT_EQ(ft.dwHighDateTime, 0xCAFEF00Du);
  }
  const SYSTEMTIME leap_days[] = {Date(2000, 2, 29), Date(0, 2, 29), Date(2024, 2, 29)};
  FILETIME ft{};
  for (const SYSTEMTIME& d : leap_days) EXPECT_EQ(SystemTimeToFileTime(&d, &ft), TRUE);
}

class LocalClock : public testing::Test {
 protected:
  void TearDown() override { SetFixedLocalTime(nullptr); }
};

TEST_F(LocalClock, FixedTimeIsReturnedWithItsTrueWeekday) {
  SYSTEMTIME fixed = Date(2026, 9, 30, 8, 15, 42, 123);
  fixed.wDayOfWeek = 6;  // wrong on purpose
  ASSERT_EQ(SetFixedLocalTime(&fixed), TRUE);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  ExpectSameFields(now, fixed);
  EXPECT_EQ(now.wDayOfWeek, 3);

  const SYSTEMTIME bad = Date(2026, 2, 30);
  EXPECT_EQ(SetFixedLocalTime(&bad), FALSE);
  GetLocalTime(&now);
  ExpectSameFields(now, fixed);  // the earlier fixed time stays
}

TEST_F(LocalClock, RealClockGivesTheLocalDateAndItsWeekday) {
  const SYSTEMTIME fixed = Date(1999, 1, 1);
  SetFixedLocalTime(&fixed);
  SetFixedLocalTime(nullptr);
  const std::time_t before = std::time(nullptr);
  SYSTEMTIME now{};
  GetLocalTime(&now);
  const std::time_t after = std::time(nullptr);
  std::tm local{};
  localtime_r(&before, &local);
  if (before != after) GTEST_SKIP() << "the second changed during the test";
  EXPECT_EQ(now.wYear, local.tm_year + 1900);
  EXPECT_EQ(now.wMonth, local.tm_mon + 1);
  EXPECT_EQ(now.wDay, local.tm_mday);
  EXPECT_EQ(now.wHour, local.tm_hour);
  EXPECT_EQ(now.wMinute, local.tm_min);
  EXPECT_EQ(now.wDayOfWeek, ZellerWeekday(now.wYear, now.wMonth, now.wDay));
  EXPECT_LT(now.wMilliseconds, 1000);
}

}  // namespace

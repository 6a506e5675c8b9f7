// Civil days and local date-times: the dates that Cyclune's code passes around.
//
// A CivilDay is one day of the proleptic Gregorian calendar, held as its day count from
// 1970-01-01 (civil_days.h). Its year, month, day and weekday are computed from that count,
// so they can never disagree. A LocalDateTime is a civil day and a time of day on the local
// clock, with no time zone: two of them compare as the instants they name on that clock.
//
// Example:
//   const CivilDay day(2024, 2, 28);
//   day.weekday() == 3;  AfterDays(day, 1) == CivilDay(2024, 2, 29)
//   LocalDateTime{day, 9, 30} < LocalDateTime{day, 10}
#pragma once

#include <compare>
#include <cstdint>

#include "platform/dates/civil_days.h"

class CivilDay {
 public:
  // 1970-01-01.
  constexpr CivilDay() = default;

  // The day of a real date: month 1-12 and day 1 to the month's length (see IsRealDate).
  constexpr CivilDay(std::int64_t year, std::int32_t month, std::int32_t day)
      : count_(
            civil::CivilDaysFrom(year, static_cast<unsigned>(month), static_cast<unsigned>(day))) {}

  // The day `count` days after 1970-01-01 (before it when negative).
  static constexpr CivilDay FromCount(std::int64_t count) {
    CivilDay day;
    day.count_ = count;
    return day;
  }

  constexpr std::int64_t count() const { return count_; }
  // The year; exact for the years that fit 32 bits, which every date of Cyclune's does.
  constexpr std::int32_t year() const {
    return static_cast<std::int32_t>(civil::CivilDateOf(count_).year);
  }
  constexpr std::int32_t month() const {  // 1-12
    return static_cast<std::int32_t>(civil::CivilDateOf(count_).month);
  }
  constexpr std::int32_t day() const {  // 1-31
    return static_cast<std::int32_t>(civil::CivilDateOf(count_).day);
  }
  // 0 = Sunday to 6 = Saturday.
  constexpr std::int32_t weekday() const {
    return static_cast<std::int32_t>(civil::WeekdayOf(count_));
  }

  friend constexpr auto operator<=>(const CivilDay&, const CivilDay&) = default;

 private:
  std::int64_t count_ = 0;
};

// True when month is 1-12 and day is 1 to the month's length.
constexpr bool IsRealDate(std::int64_t year, std::int64_t month, std::int64_t day) {
  return month >= 1 && month <= 12 && day >= 1 &&
         day <= civil::LastDayOfMonth(year, static_cast<unsigned>(month));
}

// The day n days later (earlier for a negative n).
constexpr CivilDay AfterDays(CivilDay day, std::int64_t n) {
  return CivilDay::FromCount(day.count() + n);
}

// A civil day and a time of day on the local clock. Valid when hour < 24, minute < 60,
// second < 60 and millisecond < 1000 (see IsValidTimeOfDay); ordered as instants.
struct LocalDateTime {
  CivilDay date;
  std::int32_t hour = 0;
  std::int32_t minute = 0;
  std::int32_t second = 0;
  std::int32_t millisecond = 0;

  friend constexpr auto operator<=>(const LocalDateTime&, const LocalDateTime&) = default;
};

constexpr bool IsValidTimeOfDay(const LocalDateTime& t) {
  return t.hour >= 0 && t.hour < 24 && t.minute >= 0 && t.minute < 60 && t.second >= 0 &&
         t.second < 60 && t.millisecond >= 0 && t.millisecond < 1000;
}

// Milliseconds since midnight, [0, 86399999] for a valid time of day.
constexpr std::int64_t MillisecondOfDay(const LocalDateTime& t) {
  return ((t.hour * 60LL + t.minute) * 60 + t.second) * 1000 + t.millisecond;
}

// The same time of day on another day.
constexpr LocalDateTime OnDay(const LocalDateTime& t, CivilDay day) {
  LocalDateTime moved = t;
  moved.date = day;
  return moved;
}

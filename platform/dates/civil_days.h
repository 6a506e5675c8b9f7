// Civil days: the one day-count arithmetic of the proleptic Gregorian calendar in Cyclune.
//
// A civil day is named two ways: by its date (year, month, day) and by its day count, the
// number of days from 1970-01-01 (day 0; negative before). Converting between the two, and
// reading the weekday off a day count, is all the calendar arithmetic the system needs: the
// tick conversions and the date formatter of the platform, and the calendar of the model
// (month lengths, weekdays, stepping by whole days), are built on these functions and repeat
// none of them. They are small pure constexpr functions: no state, no clock, no time zones;
// dates before 1582 are Gregorian too.
//
// Every function is exact for the dates of years -2^40 to 2^40, far beyond the 16-bit years
// of a date record. Month and day must name a real date (month 1-12, day 1 to the month's
// length).
//
// Example:
//   CivilDaysFrom(2026, 9, 30) == 20726;  CivilDateOf(20726) == CivilDate{2026, 9, 30}
//   WeekdayOf(20726) == 3  (a Wednesday)
//   LastDayOfMonth(2024, 2) == 29
#pragma once

#include <cstdint>

namespace civil {

// A date of the proleptic Gregorian calendar.
struct CivilDate {
  std::int64_t year;
  unsigned month;  // 1-12
  unsigned day;    // 1-31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// True when the year is divisible by 4 and not by 100, or divisible by 400 (year 0 is leap).
constexpr bool IsGregorianLeapYear(std::int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// The number of days of the month, 28 to 31; month must be 1-12.
constexpr unsigned LastDayOfMonth(std::int64_t year, unsigned month) {
  constexpr unsigned kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsGregorianLeapYear(year) ? 29u : kLengths[month - 1];
}

// The day count of the date.
constexpr std::int64_t CivilDaysFrom(std::int64_t year, unsigned month, unsigned day) {
  // Years start on 1 March here, so that the leap day is the last day of its year.
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;          // floor(y / 400)
  const auto yoe = static_cast<unsigned>(y - era * 400);          // [0, 399]
  const unsigned mp = month > 2 ? month - 3 : month + 9;          // [0, 11]
  const unsigned doy = (153 * mp + 2) / 5 + day - 1;              // [0, 365]
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;     // [0, 146096]
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;  // 0000-03-01 is day -719468
}

// The date of the day count; the inverse of CivilDaysFrom.
constexpr CivilDate CivilDateOf(std::int64_t days) {
  const std::int64_t z = days + 719468;                                        // from 0000-03-01
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;                 // floor(z / 146097)
  const auto doe = static_cast<unsigned>(z - era * 146097);                    // [0, 146096]
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);                // [0, 365]
  const unsigned mp = (5 * doy + 2) / 153;                                     // [0, 11]
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;                           // [1, 31]
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;                            // [1, 12]
  const std::int64_t year = era * 400 + yoe + (month <= 2 ? 1 : 0);
  return CivilDate{year, month, day};
}

// The weekday of the day count, 0 = Sunday to 6 = Saturday (1970-01-01 was a Thursday).
constexpr unsigned WeekdayOf(std::int64_t days) {
  const std::int64_t r = (days + 4) % 7;  // [-6, 6]
  return static_cast<unsigned>(r < 0 ? r + 7 : r);
}

static_assert(CivilDaysFrom(1970, 1, 1) == 0);
static_assert(CivilDaysFrom(0, 1, 1) == -719528);
static_assert(CivilDaysFrom(1601, 1, 1) == -134774);
static_assert(CivilDateOf(-719528) == CivilDate{0, 1, 1});
static_assert(CivilDateOf(-1) == CivilDate{1969, 12, 31});
static_assert(WeekdayOf(CivilDaysFrom(1995, 1, 1)) == 0);
static_assert(WeekdayOf(CivilDaysFrom(0, 1, 1)) == 6);

}  // namespace civil

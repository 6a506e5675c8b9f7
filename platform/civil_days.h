// Day-count arithmetic of the proleptic Gregorian calendar, shared by the date services and
// the date formatter of this folder. Days are counted from 1970-01-01 (day 0); the
// algorithms are exact for every date of years -2^40 to 2^40, far beyond the 16-bit years
// of a date record. Internal to platform/: the rest of the system has its own calendar.
//
// Example:
//   CivilDaysFrom(2026, 9, 30) == 20726;  CivilDateOf(20726) == CivilDate{2026, 9, 30}
//   WeekdayOf(20726) == 3  (a Wednesday)
#pragma once

#include <cstdint>

namespace civil {

struct CivilDate {
  std::int64_t year;
  unsigned month;  // 1-12
  unsigned day;    // 1-31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

// Days from 1970-01-01 to the given date (negative before); month 1-12, day 1-31.
constexpr std::int64_t CivilDaysFrom(std::int64_t year, unsigned month, unsigned day) {
  // Years are counted from March so that the leap day is the last day of its year.
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);                   // [0, 399]
  const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;  // [0, 365]
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;              // [0, 146096]
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

// The date of the given day count from 1970-01-01; the inverse of CivilDaysFrom.
constexpr CivilDate CivilDateOf(std::int64_t days) {
  const std::int64_t z = days + 719468;  // days from 0000-03-01
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);                   // [0, 146096]
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);               // [0, 365]
  const unsigned mp = (5 * doy + 2) / 153;                                    // [0, 11]
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;                          // [1, 31]
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;                           // [1, 12]
  const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
  return CivilDate{year, month, day};
}

// Weekday of the given day count, 0 = Sunday ... 6 = Saturday (1970-01-01 was a Thursday).
constexpr unsigned WeekdayOf(std::int64_t days) {
  const std::int64_t r = (days + 4) % 7;  // [-6, 6]
  return static_cast<unsigned>(r < 0 ? r + 7 : r);
}

constexpr bool IsGregorianLeapYear(std::int64_t year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

// Length of the month, 28 to 31; month must be 1-12.
constexpr unsigned LastDayOfMonth(std::int64_t year, unsigned month) {
  constexpr unsigned kLengths[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsGregorianLeapYear(year) ? 29u : kLengths[month - 1];
}

static_assert(CivilDaysFrom(1970, 1, 1) == 0);
static_assert(CivilDaysFrom(0, 1, 1) == -719528);
static_assert(CivilDaysFrom(1601, 1, 1) == -134774);
static_assert(CivilDateOf(-719528) == CivilDate{0, 1, 1});
static_assert(WeekdayOf(CivilDaysFrom(1995, 1, 1)) == 0);

}  // namespace civil

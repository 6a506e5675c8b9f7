#include "model/calendar.h"

#include "platform/dates/civil_days.h"

namespace {

// Division and remainder rounding toward negative infinity; divisor > 0.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b < 0 ? 1 : 0);
}
constexpr std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
  const std::int64_t r = a % b;  // (-b, b)
  return r < 0 ? r + b : r;
}

// Day numbers count from 1 January of year 0, so that the 16-bit years fill [0, DaysInYearCycle).
constexpr std::int64_t DayZero = civil::CivilDaysFrom(0, 1, 1);
static_assert(civil::CivilDaysFrom(65536, 1, 1) - DayZero == DaysInYearCycle);

// The civil day count of the fields, read leniently as DayOfWeek and DayNumber promise: a month
// outside 1-12 counts on into the years around it and a day outside its month counts on from the
// month's 1st.
constexpr std::int64_t CivilDaysOfFields(std::int64_t year, std::int64_t month, std::int64_t day) {
  if (month < 1 || month > 12) {
    const std::int64_t months = year * 12 + month - 1;  // from January of year 0
    year = FloorDiv(months, 12);
    month = months - year * 12 + 1;  // [1, 12]
  }
  return civil::CivilDaysFrom(year, static_cast<unsigned>(month), 1) + day - 1;
}

static_assert(CivilDaysOfFields(2023, 13, 1) == civil::CivilDaysFrom(2024, 1, 1));
static_assert(CivilDaysOfFields(2024, 0, 31) == civil::CivilDaysFrom(2023, 12, 31));
static_assert(CivilDaysOfFields(2024, 3, 0) == civil::CivilDaysFrom(2024, 2, 29));
static_assert(CivilDaysOfFields(0, -11, 1) == civil::CivilDaysFrom(-1, 1, 1));

}  // namespace

bool IsLeapYear(std::int32_t year) { return civil::IsGregorianLeapYear(year); }

std::int32_t LeapYearsSince1901(std::int32_t year) {
  if (year <= 1900) return 0;
  // Leap years from 1 to 1900: 475 - 19 + 4.
  return year / 4 - year / 100 + year / 400 - 460;
}

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
  if (month < 1 || month > 12) return 31;
  return static_cast<std::int32_t>(civil::LastDayOfMonth(year, static_cast<unsigned>(month)));
}

// The civil weekday gives the same remainders as the classic 1901-based count (S = 365 x year +
// DaysBeforeMonth + day + leap years - 693864) wherever that count is positive, and keeps giving
// true weekdays before 1901, where it turned negative.
std::int32_t DayOfWeek(std::int32_t day, std::int32_t month, std::int32_t year) {
  return static_cast<std::int32_t>(civil::WeekdayOf(CivilDaysOfFields(year, month, day)));
}

LocalDateTime NextDay(LocalDateTime date) { return ShiftDays(date, 1); }

LocalDateTime PreviousDay(LocalDateTime date) { return ShiftDays(date, -1); }

std::int64_t DayNumber(CivilDay day) { return day.count() - DayZero; }

LocalDateTime ShiftDays(LocalDateTime date, std::int64_t n) {
  // Reducing both terms first keeps the sum far from overflow for any n.
  const std::int64_t start = FloorMod(DayNumber(date.date), DaysInYearCycle);  // [0, 23936531]
  const std::int64_t step = FloorMod(n, DaysInYearCycle);                      // [0, 23936531]
  const std::int64_t day = (start + step) % DaysInYearCycle;                   // [0, 23936531]
  date.date = CivilDay::FromCount(day + DayZero);                              // years [0, 65535]
  return date;
}

LocalDateTime AddDays(LocalDateTime date, std::int32_t n) {
  return n <= 0 ? date : ShiftDays(date, n);
}

LocalDateTime SubtractDays(LocalDateTime date, std::int32_t n) {
  return n <= 0 ? date : ShiftDays(date, -static_cast<std::int64_t>(n));
}

std::int64_t DaysBetween(const LocalDateTime& from, const LocalDateTime& to) {
  // The clock's counts wrap modulo 2^64, so the unsigned difference read as signed is exact.
  const auto ticks = static_cast<std::int64_t>(TicksOf(to) - TicksOf(from));
  return ticks / TicksPerDay;
}

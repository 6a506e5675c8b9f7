#include "model/calendar.h"

#include "platform/datetime.h"

namespace {

constexpr std::int64_t DaysPer400Years = 146097;

// Division and remainder rounding toward negative infinity; divisor > 0.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - (a % b < 0 ? 1 : 0);
}
constexpr std::int64_t FloorMod(std::int64_t a, std::int64_t b) {
  const std::int64_t r = a % b;  // (-b, b)
  return r < 0 ? r + b : r;
}

// Days from 1 January of year 0 (negative before). Years are counted from 1 March so that the
// leap day is the last day of its year and every month but February has a fixed offset.
constexpr std::int64_t DaysFromCivil(std::int64_t year, std::int64_t month, std::int64_t day) {
  year += FloorDiv(month - 1, 12);
  month = FloorMod(month - 1, 12) + 1;                               // [1, 12]
  const std::int64_t y = year - (month <= 2 ? 1 : 0);
  const std::int64_t era = FloorDiv(y, 400);
  const std::int64_t yoe = y - era * 400;                            // [0, 399]
  const std::int64_t mp = (month + 9) % 12;                          // [0, 11], March = 0
  const std::int64_t doy = (153 * mp + 2) / 5 + day - 1;             // [0, 365] for a valid day
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;    // [0, 146096]
  return era * DaysPer400Years + doe + 60;  // 1 March of year 0 is day 60
}

// DaysFromCivil for a month of 1 to 12, a day of 1 or more and a 16-bit year, in 32-bit unsigned
// arithmetic: counting from 1 March of year -400 keeps every term non-negative.
constexpr std::int64_t DaysFromWordDate(std::uint32_t year, std::uint32_t month,
                                        std::uint32_t day) {
  const std::uint32_t y = year + 400 - (month <= 2 ? 1 : 0);           // [399, 65935]
  const std::uint32_t era = y / 400;                                   // [0, 164]
  const std::uint32_t yoe = y - era * 400;                             // [0, 399]
  const std::uint32_t mp = month > 2 ? month - 3 : month + 9;          // [0, 11], March = 0
  const std::uint32_t doy = (153 * mp + 2) / 5 + day - 1;              // [0, 65871]
  const std::uint32_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;     // [0, 211602]
  return static_cast<std::int64_t>(era) * DaysPer400Years + doe + 60 - DaysPer400Years;
}

struct CivilDate {
  WORD year;
  WORD month;
  WORD day;
};

// The inverse of DaysFromCivil for the days of the 16-bit years; z in [0, DaysInYearCycle).
constexpr CivilDate CivilFromDays(std::int64_t z) {
  // Counted from 1 March of year -400, so that every quantity below is non-negative.
  const auto shifted = static_cast<std::uint32_t>(z - 60 + DaysPer400Years);  // [146037, 24082568]
  const std::uint32_t era = shifted / 146097;                                 // [0, 164]
  const std::uint32_t doe = shifted - era * 146097;                           // [0, 146096]
  const std::uint32_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;  // [0, 399]
  const std::uint32_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);          // [0, 365]
  const std::uint32_t mp = (5 * doy + 2) / 153;                               // [0, 11]
  const std::uint32_t day = doy - (153 * mp + 2) / 5 + 1;                     // [1, 31]
  const std::uint32_t month = mp < 10 ? mp + 3 : mp - 9;                      // [1, 12]
  const std::uint32_t year = era * 400 + yoe + (month <= 2 ? 1 : 0) - 400;    // [0, 65535]
  return CivilDate{static_cast<WORD>(year), static_cast<WORD>(month), static_cast<WORD>(day)};
}

static_assert(DaysFromCivil(0, 1, 1) == 0);
static_assert(DaysFromCivil(1970, 1, 1) == 719528);
static_assert(DaysFromCivil(65535, 12, 31) == DaysInYearCycle - 1);
static_assert(DaysFromWordDate(0, 1, 1) == 0);
static_assert(DaysFromWordDate(2024, 3, 1) == DaysFromCivil(2024, 3, 1));
static_assert(DaysFromWordDate(65535, 12, 31) == DaysInYearCycle - 1);
static_assert(CivilFromDays(0).year == 0 && CivilFromDays(0).month == 1);
static_assert(CivilFromDays(DaysInYearCycle - 1).year == 65535);
static_assert(CivilFromDays(DaysInYearCycle - 1).day == 31);

// 1 January of year 0 was a Saturday.
constexpr std::int64_t WeekdayOfDayZero = 6;
static_assert((DaysFromCivil(1970, 1, 1) + WeekdayOfDayZero) % 7 == 4);  // a Thursday

}  // namespace

bool IsLeapYear(std::int32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int32_t LeapYearsSince1901(std::int32_t year) {
  if (year <= 1900) return 0;
  // Leap years from 1 to 1900: 475 - 19 + 4.
  return year / 4 - year / 100 + year / 400 - 460;
}

std::int32_t DaysInMonth(std::int32_t year, std::int32_t month) {
  switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
      return 30;
    case 2:
      return IsLeapYear(year) ? 29 : 28;
    default:
      return 31;
  }
}

// Counting days from year 0 with floor division gives the same remainders as the classic
// 1901-based count (S = 365 x year + DaysBeforeMonth + day + leap years - 693864) wherever that
// count is positive, and keeps giving true weekdays before 1901, where it turned negative.
std::int32_t DayOfWeek(std::int32_t day, std::int32_t month, std::int32_t year) {
  return static_cast<std::int32_t>(
      FloorMod(DaysFromCivil(year, month, day) + WeekdayOfDayZero, 7));  // [0, 6]
}

SYSTEMTIME NextDay(SYSTEMTIME date) {
  const std::int32_t length = DaysInMonth(date.wYear, date.wMonth);
  date.wDay = static_cast<WORD>(date.wDay + 1);
  if (date.wDay > length) {
    date.wDay = 1;
    date.wMonth = static_cast<WORD>(date.wMonth + 1);
  }
  if (date.wMonth > 12) {
    date.wMonth = 1;
    date.wYear = static_cast<WORD>(date.wYear + 1);
  }
  return date;
}

SYSTEMTIME PreviousDay(SYSTEMTIME date) {
  date.wDay = static_cast<WORD>(date.wDay - 1);
  if (date.wDay == 0) {
    date.wMonth = static_cast<WORD>(date.wMonth - 1);
    if (date.wMonth == 0) {
      date.wMonth = 12;
      date.wYear = static_cast<WORD>(date.wYear - 1);
    }
    date.wDay = static_cast<WORD>(DaysInMonth(date.wYear, date.wMonth));
  }
  return date;
}

std::int64_t DayNumber(const SYSTEMTIME& date) {
  if (date.wMonth >= 1 && date.wMonth <= 12 && date.wDay >= 1) {
    return DaysFromWordDate(date.wYear, date.wMonth, date.wDay);
  }
  return DaysFromCivil(date.wYear, date.wMonth, date.wDay);
}

SYSTEMTIME ShiftDays(SYSTEMTIME date, std::int64_t n) {
  // Reducing both terms first keeps the sum far from overflow for any n.
  const std::int64_t start = FloorMod(DayNumber(date), DaysInYearCycle);      // [0, 23936531]
  const std::int64_t step = FloorMod(n, DaysInYearCycle);                    // [0, 23936531]
  const CivilDate civil = CivilFromDays((start + step) % DaysInYearCycle);   // [0, 23936531]
  date.wYear = civil.year;
  date.wMonth = civil.month;
  date.wDay = civil.day;
  return date;
}

SYSTEMTIME AddDays(SYSTEMTIME date, std::int32_t n) {
  return n <= 0 ? date : ShiftDays(date, n);
}

SYSTEMTIME SubtractDays(SYSTEMTIME date, std::int32_t n) {
  return n <= 0 ? date : ShiftDays(date, -static_cast<std::int64_t>(n));
}

std::int64_t DaysBetween(SYSTEMTIME from, SYSTEMTIME to) {
  FILETIME from_ticks{};
  FILETIME to_ticks{};
  SystemTimeToFileTime(&from, &from_ticks);
  SystemTimeToFileTime(&to, &to_ticks);
  const auto read = [](const FILETIME& t) {
    return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  // The clock's counts wrap modulo 2^64, so the unsigned difference read as signed is exact.
  const auto ticks = static_cast<std::int64_t>(read(to_ticks) - read(from_ticks));
  return ticks / TicksPerDay;
}

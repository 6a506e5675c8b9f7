// The calendar of Cyclune: the Gregorian leap-year rule, month lengths, weekdays, stepping a
// date by whole days and counting the days between two instants. Every function is pure: it
// reads only its arguments and changes nothing else. The day arithmetic is the platform's civil
// days (platform/dates/civil_days.h); this unit adds the rules of the 16-bit date record on top.
//
// Dates are SYSTEMTIME records passed by value. The stepping functions read and write only
// wYear, wMonth and wDay; wDayOfWeek and the time of day come back exactly as they were given,
// so after a step wDayOfWeek no longer names the weekday (use DayOfWeek for that). The 16-bit
// year wraps: the day after 31 December 65535 is 1 January of year 0, and back.
//
// Example:
//   SYSTEMTIME d{2024, 2, 0, 16, 9, 30, 0, 0};
//   AddDays(d, 28);             // 15 March 2024, 09:30, wDayOfWeek still 0
//   DayOfWeek(15, 3, 2024);     // 5, a Friday
//   DaysInMonth(2024, 2);       // 29
#pragma once

#include <cstdint>

#include "platform/ui/win_types.h"

// Days of a common year before the 1st of each month, indexed by the month itself (1 = January
// to 12 = December); entry 0 is unused.
inline constexpr std::int32_t DaysBeforeMonth[13] = {0,   0,   31,  59,  90,  120, 151,
                                                     181, 212, 243, 273, 304, 334};

// 100-nanosecond FILETIME ticks in a day of 24 x 3600 seconds.
inline constexpr std::int64_t TicksPerDay = 864000000000;

// Days in the 65536 years (0 to 65535) that the 16-bit year field can hold; stepping this many
// days from any date gives the same date again.
inline constexpr std::int64_t DaysInYearCycle = 23936532;

// True when year is divisible by 4 and not by 100, or divisible by 400.
bool IsLeapYear(std::int32_t year);

// Number of leap years t with 1901 <= t <= year; 0 for 1900 and earlier.
std::int32_t LeapYearsSince1901(std::int32_t year);

// Length of the month: 30 for months 4, 6, 9, 11; 28 or 29 for month 2; 31 for any other value.
std::int32_t DaysInMonth(std::int32_t year, std::int32_t month);

// Weekday of the date, 0 = Sunday to 6 = Saturday, in the proleptic Gregorian calendar for
// every year, before 1901 included. A month outside 1-12 counts on into the next years (13 is
// January of the year after); a day outside the month counts on from the month's 1st.
std::int32_t DayOfWeek(std::int32_t day, std::int32_t month, std::int32_t year);

// The next day; wYear wraps from 65535 to 0. Every field but wYear, wMonth, wDay is unchanged.
SYSTEMTIME NextDay(SYSTEMTIME date);

// The previous day; wYear wraps from 0 to 65535. Every field but wYear, wMonth, wDay is
// unchanged.
SYSTEMTIME PreviousDay(SYSTEMTIME date);

// The date n days later, as n applications of NextDay would give; n <= 0 returns the date
// unchanged (a negative n does not step back). Takes the same time for every n.
SYSTEMTIME AddDays(SYSTEMTIME date, std::int32_t n);

// The date n days earlier, as n applications of PreviousDay would give; n <= 0 returns the date
// unchanged. Takes the same time for every n.
SYSTEMTIME SubtractDays(SYSTEMTIME date, std::int32_t n);

// Whole days from the instant `from` to the instant `to`, time of day included, truncated
// toward zero: 27 days and 19 hours give 27, minus that gives -27. Both records must be valid
// date-times; any other record gives no meaningful count.
std::int64_t DaysBetween(SYSTEMTIME from, SYSTEMTIME to);

// Days from 1 January of year 0 to the date, from wYear, wMonth and wDay alone: 0 to 23,936,531
// for the valid dates of years 0 to 65535. An out-of-range month or day counts on as in
// DayOfWeek.
std::int64_t DayNumber(const SYSTEMTIME& date);

// The date n days later (n < 0: earlier), wrapping around the 65536-year cycle exactly as
// repeated NextDay or PreviousDay would on a valid date. Every field but wYear, wMonth, wDay is
// unchanged. An invalid date is first brought into range as DayNumber reads it.
SYSTEMTIME ShiftDays(SYSTEMTIME date, std::int64_t n);

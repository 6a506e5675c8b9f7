// The calendar of Cyclune: the Gregorian leap-year rule, month lengths, weekdays, stepping a
// date by whole days and counting the days between two instants. Every function is pure: it
// reads only its arguments and changes nothing else. The day arithmetic is the platform's civil
// days (platform/dates/civil_days.h); this unit adds the rules of the 16-bit date record on top.
//
// Dates are local date-times (platform/dates/civil_day.h) passed by value. The stepping
// functions move the day and bring the time of day back exactly as it was given; the weekday
// is always computed from the day. The calendar of the settings spans the 65536 years 0 to
// 65535: the day after 31 December 65535 is 1 January of year 0, and back.
//
// Example:
//   const LocalDateTime d{CivilDay(2024, 2, 16), 9, 30};
//   AddDays(d, 28);             // 15 March 2024, 09:30
//   DayOfWeek(15, 3, 2024);     // 5, a Friday
//   DaysInMonth(2024, 2);       // 29
#pragma once

#include <cstdint>

#include "platform/dates/civil_day.h"
#include "platform/dates/datetime.h"

// Days of a common year before the 1st of each month, indexed by the month itself (1 = January
// to 12 = December); entry 0 is unused.
inline constexpr std::int32_t DaysBeforeMonth[13] = {0,   0,   31,  59,  90,  120, 151,
                                                     181, 212, 243, 273, 304, 334};

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

// The next day; 31 December 65535 is followed by 1 January of year 0. The time is unchanged.
LocalDateTime NextDay(LocalDateTime date);

// The previous day; 1 January of year 0 is preceded by 31 December 65535. The time is
// unchanged.
LocalDateTime PreviousDay(LocalDateTime date);

// The date n days later, as n applications of NextDay would give; n <= 0 returns the date
// unchanged (a negative n does not step back). Takes the same time for every n.
LocalDateTime AddDays(LocalDateTime date, std::int32_t n);

// The date n days earlier, as n applications of PreviousDay would give; n <= 0 returns the date
// unchanged. Takes the same time for every n.
LocalDateTime SubtractDays(LocalDateTime date, std::int32_t n);

// Whole days from the instant `from` to the instant `to`, time of day included, truncated
// toward zero: 27 days and 19 hours give 27, minus that gives -27. Counted on the stored tick
// clock, so exact for any two instants less than about 29,000 years apart.
std::int64_t DaysBetween(const LocalDateTime& from, const LocalDateTime& to);

// Days from 1 January of year 0 to the day: 0 to 23,936,531 for the days of years 0 to 65535.
std::int64_t DayNumber(CivilDay day);
inline std::int64_t DayNumber(const LocalDateTime& time) { return DayNumber(time.date); }

// The date n days later (n < 0: earlier), wrapping around the 65536-year cycle exactly as
// repeated NextDay or PreviousDay would. The time is unchanged.
LocalDateTime ShiftDays(LocalDateTime date, std::int64_t n);

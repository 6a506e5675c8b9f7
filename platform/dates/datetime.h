// The local clock and the tick count of a local date-time. The arithmetic is our own and
// applies no time-zone shift, so two date-times converted here are always counted on the
// same clock.
//
// Ticks are 100 ns units since 1601-01-01 00:00 in the proleptic Gregorian calendar: the
// stored format of the last period. Dates from year 0 to 1600 give negative counts, stored as
// 64-bit two's complement; on 30828-09-14 the count passes 2^63 and on 60056-05-28 it passes
// 2^64, where it wraps modulo 2^64. Differences of two counts are exact (modulo 2^64, read as
// signed) whenever the true difference fits in 63 bits, that is for any two dates less than
// about 29,000 years apart.
//
// Example:
//   const std::uint64_t a = TicksOf({CivilDay(2024, 2, 28), 9, 30});
//   const std::uint64_t b = TicksOf({CivilDay(2024, 2, 29), 9, 30});
//   // b - a == TicksPerDay
#pragma once

#include <cstdint>

#include "platform/dates/civil_day.h"

// 100-nanosecond ticks in a day of 24 x 3600 seconds.
inline constexpr std::int64_t TicksPerDay = 864000000000;

// The current local date and time, milliseconds included. When a fixed time has been set
// (tests, the headless runner), that time is returned instead.
LocalDateTime LocalNow();

// Fixes the time that LocalNow returns. Returns false and changes nothing when the time of
// day is not valid.
bool FixLocalClock(const LocalDateTime& fixed);

// Makes LocalNow read the real clock again.
void UseRealLocalClock();

// The tick count of a date-time whose time of day is valid (modulo 2^64, see above).
std::uint64_t TicksOf(const LocalDateTime& time);

// The date-time of a tick count. The count is read modulo 2^64 as an instant of the
// 2^64-tick span that begins on 1 January of year 0 and ends on 28 May 58455 at 05:36:10.955,
// so every instant of that span (years 0 to 58454 in full) converts back exactly; a later
// date, whose count has wrapped, comes back 2^64 ticks (about 58,456 years) earlier.
LocalDateTime LocalDateTimeOfTicks(std::uint64_t ticks);

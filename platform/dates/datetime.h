// Date and time services: the local clock and the conversions between a date record and
// its 64-bit tick count. The arithmetic is our own and applies no time-zone shift, so two
// records converted here are always counted on the same clock.
//
// Ticks are 100 ns units since 1601-01-01 00:00 in the proleptic Gregorian calendar.
// Dates from year 0 to 1600 give negative counts, stored as 64-bit two's complement; on
// 30828-09-14 the count passes 2^63 and on 60056-05-28 it passes 2^64, where it wraps modulo
// 2^64. Differences of two counts are exact (modulo 2^64, read as signed) whenever the true
// difference fits in 63 bits, that is for any two dates less than about 29,000 years apart.
//
// Example:
//   SYSTEMTIME day{2024, 2, 0, 28, 9, 30, 0, 0};
//   FILETIME a, b;
//   SystemTimeToFileTime(&day, &a);
//   day.wDay = 29;
//   SystemTimeToFileTime(&day, &b);
//   // (b as 64 bits) - (a as 64 bits) == 864000000000, one day
#pragma once

#include "platform/ui/win_types.h"

// Fills *now with the current local date and time, wDayOfWeek and milliseconds included.
// When a fixed time has been set (tests, the headless runner), that time is returned instead.
void GetLocalTime(SYSTEMTIME* now);

// Fixes the time that GetLocalTime returns; nullptr goes back to the real clock. Returns
// FALSE and changes nothing when the record is not a valid date and time (the ranges of
// SystemTimeToFileTime). wDayOfWeek of the fixed time is recomputed from its date.
BOOL SetFixedLocalTime(const SYSTEMTIME* fixed);

// Converts a valid date record to its tick count. wDayOfWeek is ignored. Returns FALSE and
// leaves *ticks untouched when a field is out of range (month 1-12, day within its month,
// hour < 24, minute < 60, second < 60, milliseconds < 1000). Every year 0-65535 is valid.
BOOL SystemTimeToFileTime(const SYSTEMTIME* date, FILETIME* ticks);

// Converts a tick count back to a date record, wDayOfWeek computed. The count is read
// modulo 2^64 as an instant of the 2^64-tick span that begins on 1 January of year 0 and
// ends on 28 May 58455 at 05:36:10.955, so every instant of that span (years 0 to 58454 in
// full) converts back exactly; a later date, whose count has wrapped, comes back 2^64 ticks
// (about 58,456 years) earlier. Fails only for a null pointer.
BOOL FileTimeToSystemTime(const FILETIME* ticks, SYSTEMTIME* date);

// The locale date formatter: dates as text in the system default locale, which is read
// from LC_ALL, then LC_TIME, then LANG (the first one set; "de_DE.UTF-8@euro" means de_DE;
// "C", "POSIX", an unset environment or a locale without date data mean en_US). Dates are
// formatted in the proleptic Gregorian calendar, and the year printed is wYear itself
// (0 to 65535), no era. Formatters are cached per locale and picture, so repeated calls
// cost a few microseconds.
//
// Example:
//   char16_t title[20];
//   int n = GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &date, u"MMMM yyyy", title, 20);
//   // n == 15 and title == u"September 2024" for any day of September 2024 in English
#pragma once

#include "platform/ui/win_types.h"

constexpr DWORD LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr DWORD LOCALE_USER_DEFAULT = 0x0400;

constexpr DWORD DATE_SHORTDATE = 0x0001;
constexpr DWORD DATE_LONGDATE = 0x0002;  // the locale's full date style
// Our extension: the locale's medium date style ("Sep 30, 2026" in English), the next
// shorter form to use when a long date does not fit its buffer.
constexpr DWORD DATE_MEDIUMDATE = 0x00010000;

// Formats *date into buffer. locale is LOCALE_SYSTEM_DEFAULT, LOCALE_USER_DEFAULT or 0 (all
// three the system default) or another locale identifier of the platform (0x0407 German).
// With picture == nullptr, flags choose one date style, the short one when none is given;
// otherwise flags must be 0 and the picture is used: d, dd (day), ddd, dddd (weekday name
// abbreviated, full; our extension ddddd, the narrow name: "T" for Tuesday, "二" for 周二),
// M, MM, MMM, MMMM (month number; abbreviated and full name, the stand-alone form unless
// the picture has a day number too), y, yy (the year's last two digits), yyyy (the whole
// year, at least four digits), 'quoted text' and '' (a quote); every other character is
// copied. wDayOfWeek and the time of day are ignored.
// Returns the number of UTF-16 units written including the terminator, or 0 when the text
// with its terminator does not fit capacity (buffer then untouched), the date is invalid
// (month 1-12, day within its month) or the locale or flags are unknown.
// With capacity 0, returns the number of units the text needs and writes nothing.
int GetDateFormatW(DWORD locale, DWORD flags, const SYSTEMTIME* date, const char16_t* picture,
                   char16_t* buffer, int capacity);

// Makes the formatter follow the locale of the environment again (after a test changes it)
// and drops every cached formatter.
void ResetDateFormatLocale();

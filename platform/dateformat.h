// The locale date formatter: dates as text in the system default locale, which is read
// from LC_ALL, LC_TIME and LANG the way ICU reads them. Dates are formatted in the
// proleptic Gregorian calendar, and the year printed is wYear itself (0 to 65535), no era.
//
// Example:
//   char16_t title[20];
//   int n = GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &date, u"MMMM yyyy", title, 20);
//   // n == 15 and title == u"September 2024" for any day of September 2024 in English
#pragma once

#include "platform/win_types.h"

constexpr DWORD LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr DWORD LOCALE_USER_DEFAULT = 0x0400;

constexpr DWORD DATE_SHORTDATE = 0x0001;
constexpr DWORD DATE_LONGDATE = 0x0002;  // the locale's full date style
// Our extension: the locale's medium date style ("Sep 30, 2026" in English), the next
// shorter form to use when a long date does not fit its buffer.
constexpr DWORD DATE_MEDIUMDATE = 0x00010000;

// Formats *date into buffer. With picture == nullptr, flags choose a date style; otherwise
// the picture is used: d, dd (day), ddd, dddd (weekday name abbreviated, full), M, MM,
// MMM, MMMM (month number, abbreviated and full stand-alone name), y, yy, yyyy (year),
// 'quoted text'; every other character is copied.
// Returns the number of UTF-16 units written including the terminator, or 0 when the text
// with its terminator does not fit capacity (buffer then untouched) or the date is invalid.
// With capacity 0, returns the number of units the text needs and writes nothing.
int GetDateFormatW(DWORD locale, DWORD flags, const SYSTEMTIME* date, const char16_t* picture,
                   char16_t* buffer, int capacity);

// Makes the formatter follow the locale of the environment again (after a test changes it).
void ResetDateFormatLocale();

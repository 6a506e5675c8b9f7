// The locale date formatter: days as text in the system default locale, which is read from
// LC_ALL, then LC_TIME, then LANG (the first one set; "de_DE.UTF-8@euro" means de_DE; "C",
// "POSIX", an unset environment or a locale without date data mean en_US), or in a locale
// named by its ICU id ("de_DE"). Days are formatted in the proleptic Gregorian calendar, and
// the year printed is the year itself (0 for 1 BC), with no era. Formatters are cached per
// locale and picture, so repeated calls cost a few microseconds.
//
// Example:
//   FormatDatePicture(CivilDay(2024, 9, 1), u"MMMM yyyy") == u"September 2024"  // in English
//   FormatDate(CivilDay(2026, 9, 30), DateStyle::kMedium) == u"Sep 30, 2026"
#pragma once

#include <string>
#include <string_view>

#include "platform/dates/civil_day.h"

// The locale's own date styles: kShort "9/30/2026", kMedium "Sep 30, 2026", kLong
// "Wednesday, September 30, 2026" (the locale's full style) in English.
enum class DateStyle { kShort, kMedium, kLong };

// The day in one of the locale's styles. `locale` empty means the system default. Empty when
// the locale has no date data or ICU cannot format.
std::u16string FormatDate(CivilDay day, DateStyle style, std::string_view locale = {});

// The day by a picture: d, dd (day), ddd, dddd, ddddd (weekday name abbreviated, full,
// narrow: "T" for Tuesday, "二" for 周二), M, MM, MMM, MMMM (month number; abbreviated and full
// name, the stand-alone form unless the picture has a day number too), y, yy (the year's last
// two digits), yyyy (the whole year, at least four digits), 'quoted text' and '' (a quote);
// every other character is copied. Empty when the picture or the locale cannot be formatted.
std::u16string FormatDatePicture(CivilDay day, std::u16string_view picture,
                                 std::string_view locale = {});

// Makes the formatter follow the locale of the environment again (after a test changes it)
// and drops every cached formatter.
void ResetDateFormatLocale();

// The texts of the month view's weekday row. Calendars head their columns with initials
// ("S M T W T F S"): a letter may stand for two days, which their places tell apart. Where
// the locale's abbreviated names mostly begin alike (周日 周一 ..., الأحد الاثنين ...,
// יום א׳ יום ב׳ ...), their initials would say nothing; the row then shows the locale's
// narrow names (日 一 二 ...), and where even those repeat, the shortest prefixes of the
// abbreviated names that are seven different texts.
//
// Example:
//   WeekdayHeaders({u"Sun", u"Mon", ...}, {u"S", u"M", ...})  // {u"S", u"M", u"T", ...}
//   WeekdayHeaders({u"周日", u"周一", ...}, {u"日", u"一", ...})  // {u"日", u"一", ...}
#pragma once

#include <array>
#include <string>

// One text per weekday, Sunday first.
using WeekdayTexts = std::array<std::u16string, 7>;

// The headers of the weekday row from the locale's abbreviated and narrow weekday names
// (empty where a name could not be formatted). Characters are counted in code points.
WeekdayTexts WeekdayHeaders(const WeekdayTexts& abbreviated, const WeekdayTexts& narrow);

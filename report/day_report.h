// The day report: what Cyclune tells about the selected day when the user presses Enter on it.
// The caption is the selected day's long date; the text gives the day's fertility status and
// a conception hint, the due date of a pregnancy conceived that day (280 days after the first
// day of the cycle that holds the day), and the Western and Chinese zodiac of that due date.
// Without a known last period the text only asks for one. Nothing here writes the state.
//
// Example (English locale, last period and selected day 1 January 2026, cycle length 28):
//   caption  "Thursday, January 1, 2026"
//   text     "Critical day\r\nRecommended to abstain\r\n"
//            "Possible Due Date: Thursday, October 8, 2026\r\n"
//            "Western Zodiac: Libra\r\nChinese Zodiac: Horse\r\n"
#pragma once

#include <cstdint>
#include <string>

#include "model/settings.h"
#include "platform/dates/civil_day.h"

struct CalendarState;

// Capacity of a long date text, terminator included: a long date shows at most 29 UTF-16 units.
constexpr int kLongDateCapacity = 30;

struct DayReport {
  std::u16string caption;  // long date of the selected day, at most 29 units
  std::u16string text;     // five lines each ended by "\r\n", or "Please set last period"
};

// The Western sign of a day of the year: "Capricorn" for December 22 to January 19, and so on.
const char16_t* WesternZodiacSign(std::int32_t month, std::int32_t day);

// The Chinese animal of a date by year mod 12: from January 1 to 9 the previous year's alone,
// from January 10 to February 19 both joined by "/" ("Horse/Ram" in 2027), then the year's own.
std::u16string ChineseZodiacAnimal(std::int32_t year, std::int32_t month, std::int32_t day);

// Days from the selected day to its due date, given the signed whole days from the last
// period to the selected day: 280 - r, r being that count's remainder by the cycle length
// (truncating); a cycle length of 0 takes the whole count as r. Never overflows.
std::int64_t DueDateOffset(std::int64_t days_since_last_period, std::int32_t cycle_length);

// The date offset days after `selected`, with its time of day; the year wraps over 65535 to 0 like
// the calendar's day steps, whatever the offset.
LocalDateTime DueDate(const LocalDateTime& selected, std::int64_t offset);

// The date in the system default locale's long style, or its next shorter style when the
// long one needs more than 29 units; empty only for a date the formatter rejects.
std::u16string ReportDateText(CivilDay date);

// Composes the caption and the text for the selected day under the settings.
DayReport ComposeDayReport(const CycleSettings& cycle, const LocalDateTime& selected);

// Opens the report of the state's SelectedDate under its settings in a message box with an
// OK button.
void ShowDayReport(const CalendarState& state);

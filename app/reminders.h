// What a reminder has to say on a day: a predicted period that is near, one that is late, and
// on request a fertile window that starts tomorrow. The predictions are those of the month
// view and the calendar file (CollectPredictedEvents), so a reminder never names a day that
// the calendar colours otherwise.
//
// Each reminder is keyed by its kind and its predicted day ("period-expected 2024-05-17"):
// what was said is kept under that key, so it is said once, and a recording that moves the
// prediction gives it a new key, which is due again.
//
// Example (LastPeriod 19 April 2024, initial settings, today 15 May 2024, 2 days before):
//   DueReminders(today, 2, false) == {{kPeriodExpected, 17 May 2024, 2}}
//   ReminderSentence(that) == "Period expected in 2 days (Friday, 17 May)"
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/settings.h"
#include "platform/dates/civil_day.h"

enum class ReminderKind { kPeriodExpected, kPeriodLate, kFertileWindow };

struct Reminder {
  ReminderKind kind;
  CivilDay day;       // the predicted day it is about
  std::int64_t days;  // days from today to `day`; for a late period, days since it
};

// A predicted period that began this many days ago or more, with none recorded since, is late.
constexpr std::int64_t kLateAfterDays = 3;

// What is said instead of any reminder on a screen that others can see.
inline constexpr char kDiscreetSentence[] = "Cyclune has a reminder for you";

// The reminders due on `today` for the settings (none without a known last period), earliest day
// first: each predicted period that begins within `days_before` days (today included); the latest
// predicted period that has begun, when it began kLateAfterDays or more days ago (the last recorded
// period itself is never late); with `fertile`, a fertile window that begins tomorrow.
std::vector<Reminder> DueReminders(const CycleSettings& cycle, const LocalDateTime& today,
                                   int days_before, bool fertile);

// The sentence for a reminder, its day in the user's locale: "Period expected in 2 days
// (Thursday, 10 December)", "Period expected tomorrow (...)", "Period expected today (...)",
// "Period 3 days late? Record it in Cyclune when it starts", "Fertile window starts tomorrow
// (...)".
std::string ReminderSentence(const Reminder& reminder);

// Words for a period that begins in `days` days, as a calendar's alarm says them:
// "Period expected in 2 days", "Period expected tomorrow", "Period expected today".
std::string PeriodExpectedWords(std::int64_t days);

// The key under which a reminder is kept as said: "period-expected 2024-05-17".
std::string ReminderKey(const Reminder& reminder);

// The predicted day of a key, as a day number (model/calendar.h DayNumber); false for a line
// that is no key.
bool ReminderKeyDay(const std::string& key, std::int64_t* day_number);

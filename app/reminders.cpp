#include "app/reminders.h"

#include <cstdio>
#include <optional>

#include "interop/predicted_events.h"
#include "model/calendar.h"
#include "model/calendar_state.h"
#include "platform/dates/dateformat.h"
#include "platform/text/unicode.h"

namespace {

constexpr std::size_t kDateCapacity = 100;
// The weekday and the day of the month, named in the user's locale, as the window names days.
constexpr char16_t kDayPicture[] = u"dddd, d MMMM";

std::string DayWords(CivilDay day) {
  const std::u16string text = FormatDatePicture(day, kDayPicture);
  if (text.size() >= kDateCapacity) return {};
  return Utf16ToUtf8(text);
}

const char* KindName(ReminderKind kind) {
  switch (kind) {
    case ReminderKind::kPeriodExpected:
      return "period-expected";
    case ReminderKind::kPeriodLate:
      return "period-late";
    case ReminderKind::kFertileWindow:
      break;
  }
  return "fertile-window";
}

std::string IsoDay(CivilDay day) {
  char text[24];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", day.year(), day.month(), day.day());
  return text;
}

}  // namespace

std::vector<Reminder> DueReminders(const CycleSettings& cycle, const LocalDateTime& today,
                                   int days_before, bool fertile) {
  std::vector<Reminder> due;
  std::optional<Reminder> late;
  const std::int64_t now = DayNumber(today.date);
  for (const PredictedEvent& event : CollectPredictedEvents(cycle).events) {
    const std::int64_t days = DayNumber(event.first) - now;
    // The first period is the recorded one itself, no prediction.
    if (event.kind == EventKind::kPeriod && event.number > 1) {
      if (days >= 0 && days <= days_before) {
        due.push_back(Reminder{ReminderKind::kPeriodExpected, event.first, days});
      }
      if (days < 0) late = Reminder{ReminderKind::kPeriodLate, event.first, -days};
    }
    if (event.kind == EventKind::kFertileWindow && fertile && days == 1) {
      due.push_back(Reminder{ReminderKind::kFertileWindow, event.first, days});
    }
  }
  // Only the latest period that has begun can be late: the ones before it were late before.
  if (late && late->days >= kLateAfterDays) due.insert(due.begin(), *late);
  return due;
}

std::string PeriodExpectedWords(std::int64_t days) {
  if (days == 0) return "Period expected today";
  if (days == 1) return "Period expected tomorrow";
  return "Period expected in " + std::to_string(days) + " days";
}

std::string ReminderSentence(const Reminder& reminder) {
  switch (reminder.kind) {
    case ReminderKind::kPeriodExpected:
      return PeriodExpectedWords(reminder.days) + " (" + DayWords(reminder.day) + ")";
    case ReminderKind::kPeriodLate:
      return "Period " + std::to_string(reminder.days) +
             " days late? Record it in Cyclune when it starts";
    case ReminderKind::kFertileWindow:
      break;
  }
  return "Fertile window starts tomorrow (" + DayWords(reminder.day) + ")";
}

std::string ReminderKey(const Reminder& reminder) {
  return std::string(KindName(reminder.kind)) + " " + IsoDay(reminder.day);
}

bool ReminderKeyDay(const std::string& key, std::int64_t* day_number) {
  const std::size_t space = key.rfind(' ');
  unsigned year = 0, month = 0, day = 0;
  char end = 0;
  if (space == std::string::npos || key.size() - space != 11 ||
      std::sscanf(key.c_str() + space + 1, "%4u-%2u-%2u%c", &year, &month, &day, &end) != 3 ||
      year < 1 || month < 1 || month > 12 || day < 1 ||
      static_cast<std::int32_t>(day) >
          DaysInMonth(static_cast<std::int32_t>(year), static_cast<std::int32_t>(month))) {
    return false;
  }
  *day_number =
      DayNumber(CivilDay(year, static_cast<std::int32_t>(month), static_cast<std::int32_t>(day)));
  return true;
}

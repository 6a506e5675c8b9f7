#include "app/script_commands.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/history_session.h"
#include "app/month_text.h"
#include "app/reminders.h"
#include "interop/formats_loader.h"
#include "interop/ics_calendar.h"
#include "interop/predicted_events.h"
#include "model/calendar.h"
#include "model/calendar_state.h"
#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "platform/settings/private_file.h"
#include "platform/text/unicode.h"
#include "report/day_report.h"

namespace {

constexpr int kExitFailure = 1;

// As the main window starts: now as the selected day, then the stored settings, read only.
CalendarState StartAsCyclune(const CommandLine& line) {
  if (line.fixed_now) FixLocalClock(line.now);
  CalendarState state;
  state.SelectedDate = LocalNow();
  state.DayMarks = WantDayMarks(line, std::getenv("CYCLUNE_CUES")) ? 1 : 0;
  LoadSettingsWithoutCreating(state);  // an unreadable file reads as empty, as at a start
  return state;
}

// A full disk or a closed pipe must not pass for success.
int Print(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) {
    return 0;
  }
  std::fprintf(stderr, "cyclune: cannot write to standard output\n");
  return kExitFailure;
}

// Text for the user to read, in the locale's character set as the terminal shows it. (The
// calendar file is UTF-8 whatever the locale, as iCalendar requires.)
int PrintText(const std::string& utf8) { return Print(Utf8ToLocaleCharset(utf8)); }

// The report's lines end in "\r\n" in its box; printed lines end in "\n".
std::string AsLines(const std::u16string& text) {
  std::string lines;
  for (const char c : Utf16ToUtf8(text)) {
    if (c != '\r') lines += c;
  }
  if (lines.empty() || lines.back() != '\n') lines += '\n';
  return lines;
}

bool WantColour(ColourChoice choice) {
  if (choice != ColourChoice::kAuto) return choice == ColourChoice::kAlways;
  const char* no_colour = std::getenv("NO_COLOR");
  const char* terminal = std::getenv("TERM");
  return isatty(STDOUT_FILENO) != 0 && (no_colour == nullptr || no_colour[0] == '\0') &&
         !(terminal != nullptr && std::string(terminal) == "dumb");
}

// The local date and time `local` in UTC, by the system's time zone; itself when the C
// library cannot place it.
LocalDateTime UniversalTime(const LocalDateTime& local) {
  std::tm broken{};
  broken.tm_year = local.date.year() - 1900;
  broken.tm_mon = local.date.month() - 1;
  broken.tm_mday = local.date.day();
  broken.tm_hour = local.hour;
  broken.tm_min = local.minute;
  broken.tm_sec = local.second;
  broken.tm_isdst = -1;
  const std::time_t instant = std::mktime(&broken);
  std::tm utc{};
  if (instant == static_cast<std::time_t>(-1) || gmtime_r(&instant, &utc) == nullptr) {
    return local;
  }
  return LocalDateTime{CivilDay(utc.tm_year + 1900LL, utc.tm_mon + 1, utc.tm_mday), utc.tm_hour,
                       utc.tm_min, utc.tm_sec, 0};
}

// --alarm DAYS: each predicted period reminds as the reminder would say it, without the date.
IcsAlarm AlarmOf(const CommandLine& line) {
  if (line.alarm_days < 0) return IcsAlarm{};
  return IcsAlarm{line.alarm_days, PeriodExpectedWords(line.alarm_days)};
}

// The periods the history recorded before the state's last one, each as long as its menstrual
// days and never into the next start.
std::vector<RecordedPeriod> EarlierPeriods(const CalendarState& state) {
  const LocalDateTime& now = state.SelectedDate;
  // Without a history, nothing more is read.
  if (::access(HistoryFilePath().c_str(), F_OK) != 0) return {};
  HistorySession session(HistorySession::kLook,
                         HistoryStamp{LocalStamp(now), HistorySource::kCommandLine, "", ""});
  if (!session.usable()) return {};
  const std::int64_t last = RecordingOf(state.LastPeriod).day;
  std::vector<std::int64_t> days;
  for (const ListedStart& start : session.history().Starts()) {
    if (start.start.day < last) days.insert(days.begin(), start.start.day);
  }
  const std::int64_t length = std::max<std::int64_t>(1, state.MenstrualDays);
  std::vector<RecordedPeriod> periods;
  for (std::size_t i = 0; i < days.size(); ++i) {
    const std::int64_t next = i + 1 < days.size() ? days[i + 1] : last;
    const std::int64_t end = std::min(days[i] + length, next) - 1;
    periods.push_back(RecordedPeriod{CivilDay::FromCount(days[i]), CivilDay::FromCount(end)});
  }
  return periods;
}

}  // namespace

int RunReport(const CommandLine& line) {
  const CalendarState state = StartAsCyclune(line);
  const LocalDateTime today = state.SelectedDate;
  const LocalDateTime selected = line.date_given ? OnDay(today, line.date) : today;
  const DayReport report = ComposeDayReport(CycleSettingsOf(state), selected);
  return PrintText(AsLines(report.caption) + AsLines(report.text));
}

int RunMonth(const CommandLine& line) {
  CalendarState state = StartAsCyclune(line);
  const CivilDay today = state.SelectedDate.date;
  const CivilDay shown = line.date_given ? line.date : today;  // another month: its 1st
  const bool holds_today = shown.year() == today.year() && shown.month() == today.month();
  // The selection moves as navigation moves it, keeping the time of day.
  state.SelectedDate = OnDay(state.SelectedDate, holds_today ? today : shown);
  return PrintText(MonthText(state, holds_today, WantColour(line.colour)));
}

int RunIcs(const CommandLine& line) {
  if (!FileFormatsAvailable()) return kExitFailure;  // its reason is on standard error
  const CalendarState state = StartAsCyclune(line);
  if (!state.LastPeriodKnown) {
    std::fprintf(stderr,
                 "cyclune: no last period is set, so there is nothing to predict; "
                 "set it in Cyclune first\n");
    return kExitFailure;
  }
  PredictedEvents predicted = CollectPredictedEvents(CycleSettingsOf(state));
  AddRecordedPeriods(EarlierPeriods(state), state.LastPeriod.date, &predicted);
  if (predicted.events.empty()) {
    // A calendar must hold at least one event; the file that is there stays as it was.
    std::fprintf(stderr,
                 "cyclune: these settings predict no day in the years %d to %d, so there is "
                 "nothing to write; check them in Cyclune\n",
                 kFirstWritableYear, kLastWritableYear);
    return kExitFailure;
  }
  std::string text;
  if (!WriteIcsCalendar(predicted.events, UniversalTime(state.SelectedDate), AlarmOf(line),
                        &text)) {
    std::fprintf(stderr, "cyclune: the calendar library could not build the calendar\n");
    return kExitFailure;
  }
  if (predicted.cut) {
    std::fprintf(stderr,
                 "cyclune: these settings predict days over more than %lld years or outside "
                 "the years %d to %d; the calendar leaves those out\n",
                 static_cast<long long>(kMaxEventMonths / 12), kFirstWritableYear,
                 kLastWritableYear);
  }
  if (line.file.empty() || line.file == "-") return Print(text);
  std::string error;
  if (WritePrivateFile(line.file, text, &error)) return 0;
  std::fprintf(stderr, "cyclune: %s\n", error.c_str());
  return kExitFailure;
}

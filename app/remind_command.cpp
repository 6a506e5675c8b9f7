#include "app/remind_command.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/reminder_state.h"
#include "app/reminders.h"
#include "app/started_today.h"
#include "model/calendar.h"
#include "model/calendar_state.h"
#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "platform/notify/notify.h"
#include "platform/text/unicode.h"

namespace {

constexpr int kExitFailure = 1;
constexpr char kApplicationId[] = "io.github.cyclune.Cyclune";
constexpr int kActionWaitSeconds = 30 * 60;
constexpr char kStartedToday[] = "started-today";
constexpr char kOpen[] = "open";
// Kept this long after their day: predictions reach about a year past the last period, and
// the latest period that began may stay late that long.
constexpr std::int64_t kKeepDays = 400;

int Failed(const std::string& line) {
  std::fprintf(stderr, "cyclune: %s\n", line.c_str());
  return kExitFailure;
}

bool Discreet(const CommandLine& line) {
  const char* variable = std::getenv("CYCLUNE_DISCREET");
  return line.discreet ||
         (variable != nullptr && variable[0] != '\0' && std::string_view(variable) != "0");
}

// The sentences to say: one per reminder, or the discreet one alone.
std::vector<std::string> Sentences(const std::vector<Reminder>& fresh, bool discreet) {
  if (discreet) return {kDiscreetSentence};
  std::vector<std::string> sentences;
  for (const Reminder& reminder : fresh) sentences.push_back(ReminderSentence(reminder));
  return sentences;
}

bool PrintLines(const std::vector<std::string>& sentences) {
  std::string text;
  for (const std::string& sentence : sentences) text += sentence + "\n";
  return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
         std::fflush(stdout) == 0;
}

DesktopNotification NotificationOf(const std::vector<std::string>& sentences, bool about_period,
                                   bool discreet) {
  DesktopNotification shown;
  shown.app_name = "Cyclune";
  shown.app_id = kApplicationId;
  shown.summary = sentences.front();
  for (std::size_t i = 1; i < sentences.size(); ++i) {
    shown.body += (i > 1 ? "\n" : "") + sentences[i];
  }
  // "Started today" would tell an onlooker what the discreet words leave out.
  if (about_period && !discreet) shown.actions.push_back({kStartedToday, "Started today"});
  shown.actions.push_back({kOpen, "Open Cyclune"});
  shown.wait_seconds = kActionWaitSeconds;
  return shown;
}

// Says the reminders; returns the exit status, with the chosen action carried out.
int Say(const std::vector<Reminder>& fresh, const CommandLine& line) {
  const bool discreet = Discreet(line);
  const std::vector<std::string> sentences = Sentences(fresh, discreet);
  if (!line.print_only) {
    const bool about_period = std::any_of(fresh.begin(), fresh.end(), [](const Reminder& r) {
      return r.kind != ReminderKind::kFertileWindow;
    });
    const NotificationResult result =
        ShowDesktopNotification(NotificationOf(sentences, about_period, discreet));
    if (result.outcome == NotificationOutcome::kAction && result.action == kStartedToday) {
      return RecordStartedToday();
    }
    if (result.outcome == NotificationOutcome::kAction && result.action == kOpen) {
      return OpenCyclune();
    }
    if (result.outcome != NotificationOutcome::kUnavailable) return 0;
    std::fprintf(stderr, "cyclune: %s; the reminder is printed instead\n", result.reason.c_str());
  }
  if (PrintLines(sentences)) return 0;
  return Failed("cannot write to standard output");
}

bool Said(const std::vector<std::string>& keys, const Reminder& reminder) {
  return std::find(keys.begin(), keys.end(), ReminderKey(reminder)) != keys.end();
}

}  // namespace

int RunRemind(const CommandLine& line) {
  if (line.fixed_now) FixLocalClock(line.now);
  const LocalDateTime today = LocalNow();
  CalendarState state;
  const SettingsSaveResult loaded = LoadSettingsWithoutCreating(state);
  if (!loaded.ok) {
    return Failed("cannot read your settings in " + Utf16ToUtf8(loaded.file) + ": " +
                  Utf16ToUtf8(loaded.reason));
  }
  const int days_before = line.days_before >= 0 ? line.days_before : kDefaultDaysBefore;
  const std::vector<Reminder> due =
      DueReminders(CycleSettingsOf(state), today, days_before, line.fertile);
  if (due.empty()) return 0;
  const std::string path = ReminderStateFile();
  if (path.empty()) return Failed("no home folder to keep the reminders' state in");
  std::vector<std::string> keys;
  std::string error;
  if (!ReadSaidReminders(path, &keys, &error)) return Failed(error);
  keys = KeptReminders(keys, DayNumber(today.date) - kKeepDays);
  const std::vector<std::string> before = keys;
  std::vector<Reminder> fresh;
  for (const Reminder& reminder : due) {
    if (Said(keys, reminder)) continue;
    fresh.push_back(reminder);
    keys.push_back(ReminderKey(reminder));
  }
  if (fresh.empty()) return 0;
  // Kept before it is said: a notification may wait a while for its answer, and a run meanwhile
  // must not say it again.
  if (!WriteSaidReminders(path, keys, &error)) return Failed(error + "; nothing was said");
  const int status = Say(fresh, line);
  // Nothing reached the user: say it again next time.
  if (status != 0 && std::ferror(stdout)) WriteSaidReminders(path, before, &error);
  return status;
}

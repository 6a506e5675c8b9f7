#include "app/history_command.h"

#include <cstdio>
#include <string>

#include "app/history_session.h"
#include "history/history_views.h"
#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "platform/instance/single_instance.h"
#include "platform/text/unicode.h"

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kRefused = 2;

int Say(int status, const std::string& message) {
  std::fprintf(stderr, "cyclune: %s\n", message.c_str());
  return status;
}

// The clock as Cyclune starts with it, and the stamp of what the command line does.
HistoryStamp CommandStamp(const CommandLine& line, LocalDateTime* now) {
  if (line.fixed_now) FixLocalClock(line.now);
  *now = LocalNow();
  return HistoryStamp{LocalStamp(*now), HistorySource::kCommandLine, "", ""};
}

// While Cyclune runs, its next save would undo what a command writes.
bool Running(const CommandLine& line) { return !line.dry_run && InstanceLockHeld(); }

int RefuseRunning() {
  return Say(kRefused,
             "Cyclune is running: close it, then try again (its next save would overwrite the "
             "change), or add --dry-run to see what it would do");
}

std::string SettingsLine(const StoredSettings& values) {
  const CycleSettings loaded = LoadedSettings(values);
  const std::string day =
      loaded.LastPeriodKnown ? IsoDayOf(RecordingOf(loaded.LastPeriod).day) : std::string("none");
  return "Last period " + day + "; CycleLength " + std::to_string(values.CycleLength) +
         ", LutealPhase " + std::to_string(values.LutealPhase) + ", MenstrualDays " +
         std::to_string(values.MenstrualDays) + ".";
}

// Writes the session's change and says how it went, the values after it first.
int Finish(const CommandLine& line, HistorySession* session, const std::string& done) {
  std::printf("%s\n%s\n", done.c_str(), SettingsLine(session->history().Current()).c_str());
  if (line.dry_run) {
    std::printf("Dry run: nothing was written.\n");
    if (InstanceLockHeld()) std::printf("Cyclune is running: close it before doing this.\n");
    return std::fflush(stdout) == 0 ? kDone : kFailed;
  }
  std::fflush(stdout);
  const HistorySave saved = session->Save();
  if (!saved.history_written) Say(kDone, saved.problem);
  if (!saved.ok) {
    return Say(kFailed, "could not save your settings to " + Utf16ToUtf8(saved.settings.file) +
                            ": " + Utf16ToUtf8(saved.settings.reason) +
                            ". Your settings are unchanged.");
  }
  return kDone;
}

HistorySession::Mode ModeOf(const CommandLine& line) {
  return line.dry_run ? HistorySession::kLook : HistorySession::kWrite;
}

}  // namespace

int RunHistory(const CommandLine& line) {
  if (Running(line)) return RefuseRunning();
  LocalDateTime now{};
  HistorySession session(ModeOf(line), CommandStamp(line, &now));
  if (!session.settings_read()) return Say(kFailed, session.problem());
  if (!session.usable()) Say(kDone, session.problem());
  const std::vector<ListedStart> starts = session.history().Starts();
  std::string text;
  switch (line.history_format) {
    case HistoryFormat::kText:  // for the terminal, in its character set
      text = Utf8ToLocaleCharset(Utf16ToUtf8(HistoryText(starts)));
      break;
    case HistoryFormat::kJson:
      text = HistoryJson(session.history());
      break;
    case HistoryFormat::kCsv:
      text = HistoryCsv(starts);
      break;
  }
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    return Say(kFailed, "cannot write to standard output");
  }
  return kDone;
}

int RunUndo(const CommandLine& line) {
  if (Running(line)) return RefuseRunning();
  LocalDateTime now{};
  const HistoryStamp stamp = CommandStamp(line, &now);
  HistorySession session(ModeOf(line), stamp);
  if (!session.usable()) return Say(kFailed, session.problem() + "; there is nothing to undo");
  if (!session.history().Undo(stamp)) {
    return Say(kFailed,
               "nothing to undo: no period was recorded since the history began or since the "
               "settings file was last changed outside Cyclune");
  }
  const HistoryOperation& undo = session.history().operations().back();
  std::string what = "the last operation";
  for (const HistoryOperation& operation : session.history().operations()) {
    if (operation.id != undo.target) continue;
    const char* kinds[] = {"the base", "the recording of ", "an undo", "the removal of ",
                           "the import of "};
    what = kinds[static_cast<int>(operation.kind)];
    if (operation.kind == OperationKind::kRecord || operation.kind == OperationKind::kRemove) {
      what += IsoDayOf(operation.start.day);
    } else if (operation.kind == OperationKind::kImport) {
      what += operation.file;
    }
  }
  return Finish(line, &session, "Undid " + what + ".");
}

int RunRecord(const CommandLine& line) {
  if (Running(line)) return RefuseRunning();
  LocalDateTime now{};
  const HistoryStamp stamp = CommandStamp(line, &now);
  HistorySession session(ModeOf(line), stamp);
  if (!session.settings_read()) return Say(kFailed, session.problem() + ". Nothing was recorded.");
  const LocalDateTime day = OnDay(now, line.date);
  session.history().Record(RecordingOf(day), stamp);
  return Finish(line, &session,
                "Recorded a period starting " + IsoDayOf(RecordingOf(day).day) + ".");
}

int RunRemove(const CommandLine& line) {
  if (Running(line)) return RefuseRunning();
  LocalDateTime now{};
  const HistoryStamp stamp = CommandStamp(line, &now);
  HistorySession session(ModeOf(line), stamp);
  if (!session.usable()) return Say(kFailed, session.problem() + "; nothing can be removed");
  const std::int64_t day = line.date.count();
  std::string refusal;
  if (!session.history().Remove(day, stamp, &refusal)) {
    return Say(kRefused, IsoDayOf(day) + " " + refusal + ". Nothing was changed.");
  }
  return Finish(line, &session,
                "Removed the start of " + IsoDayOf(day) + " and replayed the recordings after it.");
}

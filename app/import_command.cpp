#include "app/import_command.h"

#include <cstdio>
#include <string>

#include "app/history_session.h"
#include "app/import_files.h"
#include "interop/formats_loader.h"
#include "interop/import_parse.h"
#include "interop/import_replay.h"
#include "model/calendar_state.h"
#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "platform/instance/single_instance.h"
#include "platform/settings/settings_file.h"
#include "platform/text/unicode.h"

namespace {

constexpr std::size_t kFutureDaysShown = 5;
constexpr char kTableHeader[] = "Start       Interval  CycleLength  LutealPhase  MenstrualDays\n";

int Refuse(const std::string& message) {
  std::fprintf(stderr, "cyclune: %s\n", message.c_str());
  return kImportRefused;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "cyclune: %s\n", message.c_str());
  return kImportFailed;
}

// The refusal for a file that did not parse, naming the file, the format and the place.
std::string ParseRefusal(const std::string& file, const ImportParse& parse) {
  switch (parse.problem) {
    case ImportProblem::kUnknownFormat:
      return file + " is not a file Cyclune can import (" + parse.error +
             "). Tried: " + ImportFormatsTried() + ".";
    case ImportProblem::kTooLarge:
      return file + ": " + parse.error + "; Cyclune imports files up to 64 MiB.";
    case ImportProblem::kBroken:
    case ImportProblem::kNone:
      break;
  }
  if (parse.format == ImportFormat::kUnknown) return file + ": " + parse.error + ".";
  return file + " (" + ImportFormatName(parse.format) + "): " + parse.error + ".";
}

// `kept`: starts of the file that the history holds already.
void PrintNotes(const ImportParse& parse, const ImportReplay& replay, const LocalDateTime& now,
                std::size_t added, std::size_t kept) {
  const std::size_t found = added + kept + replay.after_today.size() + replay.before_last_period;
  std::printf("Found %zu period start%s (%s).\n", found, found == 1 ? "" : "s",
              ImportFormatName(parse.format));
  for (const std::string& note : parse.notes) std::printf("%s\n", note.c_str());
  if (!replay.after_today.empty()) {
    const std::size_t count = replay.after_today.size();
    std::string days;
    for (std::size_t i = 0; i < count && i < kFutureDaysShown; ++i) {
      days += (i == 0 ? "" : ", ") + FormatImportDay(replay.after_today[i]);
    }
    if (count > kFutureDaysShown)
      days += " and " + std::to_string(count - kFutureDaysShown) + " more";
    const ImportDay today{now.date.year(), now.date.month(), now.date.day()};
    std::printf("%zu start%s after today (%s) %s left out: %s.\n", count, count == 1 ? "" : "s",
                FormatImportDay(today).c_str(), count == 1 ? "was" : "were", days.c_str());
  }
  if (replay.before_last_period > 0) {
    const std::size_t count = replay.before_last_period;
    std::printf("%zu period%s before your last recorded one %s skipped.\n", count,
                count == 1 ? "" : "s", count == 1 ? "was" : "were");
  }
  if (kept > 0) {
    std::printf("%zu start%s already in your history.\n", kept, kept == 1 ? " is" : "s are");
  }
}

void PrintTable(const ImportReplay& replay) {
  std::printf("\n%s", kTableHeader);
  bool assumed = false;
  for (const ReplayedStart& step : replay.recorded) {
    const std::string interval =
        step.interval_known ? std::to_string(step.interval) : std::string("(28)");
    assumed = assumed || !step.interval_known;
    std::printf("%s  %8s  %11d  %11d  %13d%s\n", FormatImportDay(step.day).c_str(),
                interval.c_str(), step.CycleLength, step.LutealPhase, step.MenstrualDays,
                step.from_history ? "  (history)" : "");
  }
  if (assumed) std::printf("(28): no earlier period was known, so the interval counts as 28.\n");
}

void PrintResult(const CalendarState& state) {
  const CivilDay last = state.LastPeriod.date;
  const std::string day = state.LastPeriodKnown
                              ? FormatImportDay(ImportDay{last.year(), last.month(), last.day()})
                              : std::string("none");
  std::printf("\nLast period %s; CycleLength %d, LutealPhase %d, MenstrualDays %d.\n", day.c_str(),
              state.CycleLength, state.LutealPhase, state.MenstrualDays);
}

// The file a failed load or save names, byte for byte as the system names it.
std::string FailurePath(const SettingsSaveResult& result) {
  return !result.path.empty() ? result.path : Utf16ToUtf8(result.file);
}

// What the save kept of the file it replaced, beside the copy from before the import.
std::string KeptAsideLines(const SettingsSaveResult& saved) {
  std::string lines;
  if (!saved.moved_path.empty()) {
    lines +=
        "Your settings file was larger than 8 MiB, so only its first 8 MiB were read; "
        "the whole file is kept in " +
        saved.moved_path + ".\n";
  }
  if (!saved.copied_path.empty()) {
    lines += "Part of your settings file could not be read; the file as it was is kept in " +
             saved.copied_path + ".\n";
  }
  return lines;
}

// Keeps the old file aside, then saves `state` once, through the history when there is one
// (its values are the state's then). The caller holds the writers' lock, so no other save
// comes between the settings read and these.
int Save(const std::string& settings_file, const CalendarState& state, HistorySession* session) {
  std::string copy;
  std::string error;
  if (!CopySettingsAside(settings_file, kMaxRegistryFileBytes, &copy, &error)) {
    return Fail("could not keep a copy of your settings (" + error + "); nothing was imported.");
  }
  SettingsSaveResult saved;
  bool in_history = false;
  if (session != nullptr) {
    const HistorySave through = session->Save();
    if (!through.history_written) std::fprintf(stderr, "cyclune: %s\n", through.problem.c_str());
    saved = through.settings;
    in_history = through.history_written;
  } else {
    saved = SaveSettings(state);
  }
  if (!saved.ok) {
    std::string message = "could not save the imported settings to " + FailurePath(saved) + ": " +
                          Utf16ToUtf8(saved.reason) + ". Your settings are unchanged";
    if (!copy.empty()) message += "; the copy made before the import is " + copy;
    const std::string& unreadable = saved.copied_path;
    if (!unreadable.empty()) message += "; a copy of the file as it was is " + unreadable;
    return Fail(message + ".");
  }
  std::printf("Saved to %s.\n", settings_file.c_str());
  if (copy.empty())
    std::printf("There were no settings before the import.\n");
  else
    std::printf("Your settings from before the import are in %s.\n", copy.c_str());
  std::fputs(KeptAsideLines(saved).c_str(), stdout);
  if (in_history) {
    std::printf("The import is recorded in %s; cyclune --undo takes it back.\n",
                HistoryFilePath().c_str());
  }
  return kImportDone;
}

// Reading and parsing the file, and the running-instance check.
int Prepare(const std::string& file, bool dry_run, ImportParse* parse) {
  std::string bytes;
  std::string error;
  switch (ReadImportFile(file, kMaxImportBytes, &bytes, &error)) {
    case ImportRead::kFailed:
      return Refuse("cannot read " + file + ": " + error + ".");
    case ImportRead::kTooLarge:
      return Refuse(file + " is larger than 64 MiB; Cyclune imports files up to 64 MiB.");
    case ImportRead::kRead:
      break;
  }
  *parse = ParseTrackerFile(bytes);
  if (parse->problem != ImportProblem::kNone) return Refuse(ParseRefusal(file, *parse));
  if (parse->starts.empty()) {
    return Refuse(file + " (" + ImportFormatName(parse->format) +
                  "): no period start in it, so there is nothing to import.");
  }
  if (!dry_run && InstanceLockHeld()) {
    return Refuse(
        "Cyclune is running: close it, then import again (its next save would "
        "overwrite the import).");
  }
  return kImportDone;
}

// The settings the import starts from. A real import reads them under the writers' lock, held
// until its save, so that an import or a save running beside it is neither lost nor loses this.
int LoadSettingsFor(bool dry_run, SettingsWriteLock* lock, CalendarState* state) {
  const SettingsFileStatus why =
      dry_run || SettingsFilePath().empty() ? SettingsFileStatus{} : lock->Take();
  if (!why.ok) {
    return Fail("cannot lock your settings for the import: " + why.path + ": " +
                Utf16ToUtf8(why.reason) + ". Nothing was imported.");
  }
  const SettingsSaveResult loaded = LoadSettingsWithoutCreating(*state);
  if (!loaded.ok) {
    return Fail("cannot read your settings in " + FailurePath(loaded) + ": " +
                Utf16ToUtf8(loaded.reason) + ". Nothing was imported.");
  }
  return kImportDone;
}

// The file's starts as the history takes them: each at the time of day the file gives, or at
// now's.
std::vector<Recording> RecordingsOf(const ImportParse& parse, const LocalDateTime& now) {
  std::vector<Recording> starts;
  const std::int32_t now_ms = RecordingOf(now).time_ms;
  for (std::size_t i = 0; i < parse.starts.size(); ++i) {
    const ImportDay& day = parse.starts[i];
    Recording start = RecordingOf(OnDay(now, CivilDay(day.year, day.month, day.day)));
    start.time_ms = i < parse.start_times.size() ? parse.start_times[i] : now_ms;
    starts.push_back(start);
  }
  return starts;
}

ImportDay ImportDayOf(std::int64_t day) {
  const CivilDay date = CivilDay::FromCount(day);
  return ImportDay{date.year(), date.month(), date.day()};
}

// The history's merge in the words of a replay: every start replayed, the history's own
// marked, and the values after each.
ImportReplay ReplayOf(const ImportMerge& merge) {
  ImportReplay replay;
  for (const ImportMerge::Step& step : merge.steps) {
    const CycleSettings after = LoadedSettings(step.after);
    ReplayedStart row{
        ImportDayOf(step.start.day), step.interval_known, step.interval, after.CycleLength,
        after.LutealPhase,           after.MenstrualDays, !step.added};
    replay.recorded.push_back(row);
  }
  for (std::int64_t day : merge.after_today) replay.after_today.push_back(ImportDayOf(day));
  replay.before_last_period = merge.before_history;
  return replay;
}

// Prints what the import does and writes `state`, the settings after it (unless a dry run);
// the status.
int Report(const ImportParse& parse, const ImportReplay& replay, const LocalDateTime& now,
           std::size_t added, std::size_t kept, bool dry_run, const CalendarState& state,
           HistorySession* session) {
  PrintNotes(parse, replay, now, added, kept);
  if (!replay.recorded.empty()) PrintTable(replay);
  PrintResult(state);
  int status = kImportDone;
  if (dry_run) {
    std::printf("Dry run: nothing was written.\n");
    if (InstanceLockHeld()) std::printf("Cyclune is running: close it before importing.\n");
  } else if (added == 0) {
    std::printf("Nothing new to record: your settings are unchanged.\n");
  } else {
    std::fflush(stdout);  // the table first, should the save report a failure
    status = Save(SettingsFilePath(), state, session);
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fprintf(stderr, "cyclune: cannot write to standard output\n");
    if (status == kImportDone) status = kImportFailed;
  }
  return status;
}

}  // namespace

int RunImport(const std::string& file, bool dry_run) {
  if (!FileFormatsAvailable()) return kImportFailed;  // its reason is on standard error
  ImportParse parse;
  if (const int status = Prepare(file, dry_run, &parse); status != kImportDone) return status;
  SettingsWriteLock lock;
  CalendarState state;
  if (const int status = LoadSettingsFor(dry_run, &lock, &state); status != kImportDone) {
    return status;
  }
  const LocalDateTime now = LocalNow();
  const HistoryStamp stamp{LocalStamp(now), HistorySource::kImport, ImportFormatName(parse.format),
                           file};
  // The history is read and written under the lock taken for the settings.
  HistorySession session(dry_run ? HistorySession::kLook : HistorySession::kWrite, stamp, &lock);
  if (session.usable()) {
    // Merged with the history by date, so one wrong recent entry no longer shuts out the file.
    const std::int64_t today = RecordingOf(now).day;
    const ImportMerge merge = session.history().Import(RecordingsOf(parse, now), today, stamp);
    SetCycleSettings(LoadedSettings(session.history().Current()), &state);
    return Report(parse, ReplayOf(merge), now, merge.added.size(), merge.already_recorded, dry_run,
                  state, &session);
  }
  if (!session.problem().empty()) std::fprintf(stderr, "cyclune: %s\n", session.problem().c_str());
  CycleSettings cycle = CycleSettingsOf(state);
  const ImportReplay replay = ReplayStarts(parse.starts, now, &cycle);
  SetCycleSettings(cycle, &state);
  return Report(parse, replay, now, replay.recorded.size(), 0, dry_run, state, nullptr);
}

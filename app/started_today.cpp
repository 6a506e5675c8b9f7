#include "app/started_today.h"

#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/history_session.h"
#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "platform/instance/single_instance.h"
#include "platform/text/unicode.h"

extern char** environ;

namespace {

constexpr int kExitFailure = 1;

int Failed(const std::string& line) {
  std::fprintf(stderr, "cyclune: %s\n", line.c_str());
  return kExitFailure;
}

// Starts `argv` in a session of its own, its input closed; false when it cannot be started.
bool Spawn(char* const argv[], bool search_path) {
  posix_spawn_file_actions_t files;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t child = -1;
  const int spawned = search_path
                          ? posix_spawnp(&child, argv[0], &files, &attributes, argv, environ)
                          : posix_spawn(&child, argv[0], &files, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&files);
  posix_spawnattr_destroy(&attributes);
  return spawned == 0;
}

}  // namespace

int RecordPeriodStartedOn(const LocalDateTime& today) {
  // As "Set last period" records: in the history first, then the settings file, both read
  // afresh (the notification may have waited a while for its answer) under the writers' lock
  // the session holds, so that an import beside it neither loses this period nor is lost by it.
  const HistoryStamp stamp{LocalStamp(today), HistorySource::kReminder, "", ""};
  HistorySession session(HistorySession::kWrite, stamp);
  if (!session.settings_read()) return Failed(session.problem() + "; nothing was recorded");
  session.history().Record(RecordingOf(today), stamp);
  const HistorySave saved = session.Save();
  if (!saved.history_written) std::fprintf(stderr, "cyclune: %s\n", saved.problem.c_str());
  if (!saved.ok) return Failed(Utf16ToUtf8(SaveFailureSentence(saved.settings)));
  const std::u16string notice = SaveNoticeSentence(saved.settings);
  if (!notice.empty()) std::printf("%s\n", Utf16ToUtf8(notice).c_str());
  std::printf("Recorded a period that started today.\n");
  return 0;
}

int RecordStartedToday() {
  const LocalDateTime today = LocalNow();
  if (!InstanceLockHeld()) return RecordPeriodStartedOn(today);
  if (!AskRunningInstanceToRecordPeriod(today.date)) {
    return Failed(SecondStartMessage() + "; record the period in it");
  }
  std::printf("Cyclune is open: it was asked to record a period that started today.\n");
  return 0;
}

int OpenCyclune() {
  if (InstanceLockHeld()) {
    if (!AskRunningInstanceToComeForward()) return Failed(SecondStartMessage());
    std::printf("Cyclune is open: it was asked to come forward.\n");
    return 0;
  }
  char program[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  if (length <= 0) return Failed("cannot find the cyclune program to start it");
  char window[] = "--window";
  // Under systemd the reminder is a service whose leftover processes end with it: the window
  // gets a scope of its own.
  char run[] = "systemd-run", user[] = "--user", scope[] = "--scope", quiet[] = "--quiet";
  char collect[] = "--collect", end[] = "--";
  char* const in_scope[] = {run, user, scope, quiet, collect, end, program, window, nullptr};
  char* const plain[] = {program, window, nullptr};
  const bool started =
      (std::getenv("INVOCATION_ID") != nullptr && Spawn(in_scope, true)) || Spawn(plain, false);
  if (!started) return Failed("cannot start " + std::string(program));
  std::printf("Started Cyclune.\n");
  return 0;
}

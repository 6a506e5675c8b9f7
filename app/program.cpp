// The program: the commands and the front ends, chosen from the parsed command line.
// Without an option the desktop window opens when a display is named (DISPLAY or
// WAYLAND_DISPLAY), the terminal is used otherwise or when the window cannot be opened;
// --window insists on the window. A start while Cyclune runs on the same settings asks that
// one to come forward before it looks for a front end. --cues or CYCLUNE_CUES=1 marks each
// day's kind by shape as well as colour; a terminal whose colours cannot tell the days
// apart (fewer than 16) marks them by itself.
#include "app/program.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/calendar_window.h"
#include "app/history_command.h"
#include "app/import_command.h"
#include "app/remind_command.h"
#include "app/script_commands.h"
#include "model/calendar_state.h"
#include "platform/dates/datetime.h"
#include "platform/instance/single_instance.h"
#include "platform/modules/desktop.h"
#include "platform/modules/headless.h"
#include "platform/terminal/terminal.h"
#include "view/day_class.h"

namespace {

constexpr int kExitNoFrontEnd = 1;
constexpr int kExitUsage = 2;

// The calendar's options for a run whose recordings come from `source`: the days are marked
// when asked for (--cues, CYCLUNE_CUES).
CalendarOptions OptionsFrom(const CommandLine& line, HistorySource source) {
  return CalendarOptions{source, WantDayMarks(line, std::getenv("CYCLUNE_CUES"))};
}

int RunHeadless(const CommandLine& line) {
  std::string error;
  int status = kExitUsage;
  UiFrontEnd* headless = StartHeadless(line.headless, &error, &status);
  if (headless == nullptr) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    return status;
  }
  if (line.fixed_now) FixLocalClock(line.now);
  return FinishHeadless(RunCalendar(*headless, OptionsFrom(line, HistorySource::kHeadless)));
}

int RunTerminal(const CommandLine& line) {
  std::string error;
  TerminalOptions options;
  options.show_cursor = WantCursor(line, std::getenv("CYCLUNE_CURSOR"));
  UiFrontEnd* terminal = StartTerminal(options, &error);
  if (terminal == nullptr) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    return kExitNoFrontEnd;
  }
  CalendarOptions calendar = OptionsFrom(line, HistorySource::kTerminal);
  calendar.day_marks = DayMarksShown(!TerminalNeedsDayMarks(), calendar.day_marks);
  if (line.fixed_now) FixLocalClock(line.now);
  return FinishTerminal(RunCalendar(*terminal, calendar));
}

// The desktop window; when it cannot be opened, the terminal if `fall_back` is set.
int RunWindow(const CommandLine& line, bool fall_back) {
  std::string error;
  UiFrontEnd* desktop = StartDesktopWindow(&error);
  if (desktop == nullptr) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    return fall_back ? RunTerminal(line) : kExitNoFrontEnd;
  }
  if (line.fixed_now) FixLocalClock(line.now);
  return FinishDesktopWindow(RunCalendar(*desktop, OptionsFrom(line, HistorySource::kWindow)));
}

int RunInteractive(const CommandLine& line) {
  return DesktopDisplayAvailable() ? RunWindow(line, true) : RunTerminal(line);
}

// A second start needs no front end of its own, only the running instance: asking it first
// lets a start without a terminal or a display (a launcher, a script) reach it as well. True
// with the exit status set when there was one; false when this process is now the first.
bool ReachedRunningInstance(int* status) {
  EnableSingleInstance(true);
  if (!AnotherInstanceRunning()) return false;
  AskRunningInstanceToComeForward();
  *status = ReportSecondStart(0);
  return true;
}

int RunCommand(const CommandLine& line) {
  switch (line.command) {
    case ScriptCommand::kReport:
      return RunReport(line);
    case ScriptCommand::kMonth:
      return RunMonth(line);
    case ScriptCommand::kIcs:
      return RunIcs(line);
    case ScriptCommand::kImport:
      if (line.fixed_now) FixLocalClock(line.now);
      return RunImport(line.file, line.dry_run);
    case ScriptCommand::kHistory:
      return RunHistory(line);
    case ScriptCommand::kUndo:
      return RunUndo(line);
    case ScriptCommand::kRecord:
      return RunRecord(line);
    case ScriptCommand::kRemove:
      return RunRemove(line);
    case ScriptCommand::kRemind:
      return RunRemind(line);
    case ScriptCommand::kNone:
      break;
  }
  return kExitUsage;
}

}  // namespace

int RunProgram(const CommandLine& line) {
  if (line.command != ScriptCommand::kNone) return RunCommand(line);
  // The headless runner keeps to the rule only on request (--single-instance).
  if (line.front_end == FrontEnd::kHeadless) return RunHeadless(line);
  int status = 0;
  if (ReachedRunningInstance(&status)) return status;
  if (line.front_end == FrontEnd::kTerminal) return RunTerminal(line);
  if (line.front_end == FrontEnd::kWindow) return RunWindow(line, false);
  return RunInteractive(line);
}

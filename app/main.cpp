// The cyclune executable: reads the command line, picks the front end or command and runs it.
//
//   cyclune [--window | --terminal] [--now YYYY-MM-DDTHH:MM:SS]
//   cyclune --headless [--size WxH] [--now YYYY-MM-DDTHH:MM:SS] [--script FILE] [--out DIR]
//           [--single-instance]
//   cyclune --report [YYYY-MM-DD] | --month [YYYY-MM] [--color=WHEN] | --ics [FILE]
//   cyclune --import FILE [--dry-run] [--now YYYY-MM-DDTHH:MM:SS]
//   cyclune --help | --version
//
// --help and --version print to standard output and exit with status 0 (1 when that output
// cannot be written). An unknown option prints one line and the usage on standard error, a bad
// option value one line; both exit with status 2. --report, --month and --ics print or write
// what they are asked for and end (app/script_commands.h).
// Without an option the desktop window opens when a display is named (DISPLAY or
// WAYLAND_DISPLAY), the terminal is used otherwise or when the window cannot be opened;
// --window insists on the window.
// --cues or CYCLUNE_CUES=1 marks each day's kind by shape as well as colour, in every front
// end and in --month; a terminal without colour (NO_COLOR, fewer than 8 colours) and --month
// without colour mark the days by themselves.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/command_line.h"
#include "app/import_command.h"
#include "app/script_commands.h"
#include "app/win_main.h"
#include "model/app_state.h"
#include "platform/datetime.h"
#include "platform/desktop.h"
#include "platform/headless.h"
#include "platform/terminal.h"
#include "platform/window.h"
#include "resources/resources.h"

namespace {

constexpr int kExitNoFrontEnd = 1;
constexpr int kExitUsage = 2;

constexpr char kVersionLine[] = "cyclune " CYCLUNE_VERSION "\n";

// A full disk or a closed pipe must not pass for success.
int PrintInformation(Information information) {
  const std::string text = information == Information::kHelp ? UsageText() : kVersionLine;
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "cyclune: cannot write to standard output\n");
  return kExitNoFrontEnd;
}

int RunHeadless(const CommandLine& line) {
  std::string error;
  int status = kExitUsage;
  if (!StartHeadless(line.headless, &error, &status)) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    return status;
  }
  if (line.fixed_now) SetFixedLocalTime(&line.now);
  return FinishHeadless(WinMain(&CycluneModule, nullptr, u"", SW_SHOWNORMAL));
}

int RunTerminal(const CommandLine& line) {
  std::string error;
  if (!StartTerminal(&error)) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    return kExitNoFrontEnd;
  }
  // Where the terminal shows no colour, only the marks tell the days apart.
  if (!TerminalShowsColour()) AppState.DayMarks = 1;
  if (line.fixed_now) SetFixedLocalTime(&line.now);
  return FinishTerminal(WinMain(&CycluneModule, nullptr, u"", SW_SHOWNORMAL));
}

// The desktop window; when it cannot be opened, the terminal if `fall_back` is set.
int RunWindow(const CommandLine& line, bool fall_back) {
  std::string error;
  if (!StartDesktopWindow(&error)) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    return fall_back ? RunTerminal(line) : kExitNoFrontEnd;
  }
  if (line.fixed_now) SetFixedLocalTime(&line.now);
  return FinishDesktopWindow(WinMain(&CycluneModule, nullptr, u"", SW_SHOWNORMAL));
}

int RunInteractive(const CommandLine& line) {
  return DesktopDisplayAvailable() ? RunWindow(line, true) : RunTerminal(line);
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
      if (line.fixed_now) SetFixedLocalTime(&line.now);
      return RunImport(line.file, line.dry_run);
    case ScriptCommand::kNone:
      break;
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(argc, argv, &line, &error)) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    if (line.unknown_option) std::fputs(UsageText().c_str(), stderr);
    return kExitUsage;
  }
  if (line.information != Information::kNone) return PrintInformation(line.information);
  AppState.DayMarks = WantDayMarks(line, std::getenv("CYCLUNE_CUES")) ? 1 : 0;
  if (line.command != ScriptCommand::kNone) return RunCommand(line);
  switch (line.front_end) {
    case FrontEnd::kHeadless:
      return RunHeadless(line);
    case FrontEnd::kTerminal:
      return RunTerminal(line);
    case FrontEnd::kWindow:
      return RunWindow(line, false);
    case FrontEnd::kInteractive:
      break;
  }
  return RunInteractive(line);
}

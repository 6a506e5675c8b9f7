// The cyclune executable: reads the command line, answers --help and --version, and opens the
// program module (app/program.h) to run the front end or the command that it names.
//
//   cyclune [--window | --terminal] [--now YYYY-MM-DDTHH:MM:SS]
//   cyclune --headless [--size WxH] [--now YYYY-MM-DDTHH:MM:SS] [--script FILE] [--out DIR]
//           [--single-instance]
//   cyclune --report [YYYY-MM-DD] | --month [YYYY-MM] [--color=WHEN] | --ics [FILE] [--alarm N]
//   cyclune --import FILE [--dry-run] [--now YYYY-MM-DDTHH:MM:SS]
//   cyclune --remind [--days-before N] [--fertile] [--discreet] [--print]
//   cyclune --help | --version
//
// --help and --version print to standard output and exit with status 0 (1 when that output
// cannot be written). An unknown option prints one line and the usage on standard error, a bad
// option value one line; both exit with status 2. --report, --month and --ics print or write
// what they are asked for and end (app/script_commands.h); --remind says what is due
// (app/remind_command.h).
// Without an option the desktop window opens when a display is named (DISPLAY or
// WAYLAND_DISPLAY), the terminal is used otherwise or when the window cannot be opened;
// --window insists on the window.
// --cues or CYCLUNE_CUES=1 marks each day's kind by shape as well as colour, in every front
// end and in --month; a terminal whose colours cannot tell the days apart (NO_COLOR, fewer
// than 16 colours) and --month without colour mark the days by themselves.
// The executable links the C++ library alone; everything else is in the modules, loaded by
// the modes that need them.
#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/program.h"
#include "platform/modules/module_loader.h"

namespace {

constexpr int kExitNoProgram = 1;
constexpr int kExitUsage = 2;

constexpr char kVersionLine[] = "cyclune " CYCLUNE_VERSION "\n";

// A full disk or a closed pipe must not pass for success.
int PrintInformation(Information information) {
  const std::string text = information == Information::kHelp ? UsageText() : kVersionLine;
  if (std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0) return 0;
  std::fprintf(stderr, "cyclune: cannot write to standard output\n");
  return kExitNoProgram;
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
  // Shared, as the window module runs on the program's platform.
  const auto* program = OpenModuleTable<ProgramModule>(kProgramModule, true, &error);
  if (program == nullptr) {
    std::fprintf(stderr, "cyclune: cannot start: %s\n", error.c_str());
    return kExitNoProgram;
  }
  return program->run_program(line);
}

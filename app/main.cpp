// The cyclune executable: reads the command line, picks the front end and runs WinMain on it.
//
//   cyclune --headless [--size WxH] [--now YYYY-MM-DDTHH:MM:SS] [--script FILE] [--out DIR]
//           [--single-instance]
//   cyclune --terminal [--now YYYY-MM-DDTHH:MM:SS]
//   cyclune --window [--now YYYY-MM-DDTHH:MM:SS]
//   cyclune --help | --version
//
// --help and --version print to standard output and exit with status 0 (1 when that output
// cannot be written). An unknown option prints one line and the usage on standard error, a bad
// option value one line; both exit with status 2.
// Without an option the desktop window opens when a display is named (DISPLAY or
// WAYLAND_DISPLAY), the terminal is used otherwise or when the window cannot be opened;
// --window insists on the window.
#include <cstdio>
#include <string>
#include <string_view>

#include "app/win_main.h"
#include "platform/datetime.h"
#include "platform/desktop.h"
#include "platform/headless.h"
#include "platform/terminal.h"
#include "platform/window.h"
#include "resources/resources.h"

namespace {

constexpr int kExitNoFrontEnd = 1;
constexpr int kExitUsage = 2;

constexpr char kUsage[] =
    "Usage: cyclune [--window | --terminal] [--now YYYY-MM-DDTHH:MM:SS]\n"
    "       cyclune --headless [--size WxH] [--now YYYY-MM-DDTHH:MM:SS]\n"
    "                          [--script FILE] [--out DIR] [--single-instance]\n"
    "       cyclune --help | --version\n"
    "A private fertility calendar: one month at a time, each day coloured by its\n"
    "place in the menstrual cycle.\n"
    "\n"
    "  --window                   open the desktop window (default with a display)\n"
    "  --terminal                 run in this terminal (default without a display)\n"
    "  --headless                 run off-screen on a script of input events\n"
    "  --size WxH                 headless client area, pixels 0 to 8192 (240x266)\n"
    "  --now YYYY-MM-DDTHH:MM:SS  take this local date and time as now\n"
    "  --script FILE              headless script; none or - reads standard input\n"
    "  --out DIR                  headless output directory (the current one)\n"
    "  --single-instance          headless: keep to one instance per settings folder\n"
    "  --help                     print this help and exit\n"
    "  --version                  print the version and exit\n"
    "\n"
    "Script lines: key CODE, tap X Y, command ID, resize W H, shot NAME.\n"
    "Settings: ${XDG_CONFIG_HOME:-~/.config}/cyclune/registry.reg (mode 0600).\n"
    "See cyclune(1) for the keys, the colours and the script.\n";

constexpr char kVersionLine[] = "cyclune " CYCLUNE_VERSION "\n";

enum class FrontEnd { kInteractive, kHeadless, kTerminal, kWindow };
enum class Information { kNone, kHelp, kVersion };

struct CommandLine {
  FrontEnd front_end = FrontEnd::kInteractive;
  Information information = Information::kNone;  // --help or --version: print it, run nothing
  HeadlessOptions headless;
  bool unknown_option = false;  // the error names an option we do not have: show the usage
  bool fixed_now = false;
  SYSTEMTIME now{};
};

// Reads the value of an option that takes one; false when it is missing.
bool TakeValue(int argc, char** argv, int* index, std::string_view* value) {
  if (*index + 1 >= argc) return false;
  *value = argv[++*index];
  return true;
}

// Parses one option at argv[*index]; on failure returns false with *error set.
bool ParseOption(int argc, char** argv, int* index, CommandLine* line, std::string* error) {
  const std::string_view option = argv[*index];
  std::string_view value;
  if (option == "--headless") {
    line->front_end = FrontEnd::kHeadless;
    return true;
  }
  if (option == "--terminal") {
    line->front_end = FrontEnd::kTerminal;
    return true;
  }
  if (option == "--window") {
    line->front_end = FrontEnd::kWindow;
    return true;
  }
  if (option == "--single-instance") {
    line->headless.single_instance = true;
    return true;
  }
  const bool takes_value =
      option == "--size" || option == "--now" || option == "--script" || option == "--out";
  if (!takes_value) {
    *error = "unknown option '" + std::string(option) + "'";
    line->unknown_option = true;
    return false;
  }
  if (!TakeValue(argc, argv, index, &value)) {
    *error = "option " + std::string(option) + " needs a value";
    return false;
  }
  if (option == "--size") {
    if (ParseClientSize(value, &line->headless.width, &line->headless.height)) return true;
    *error = "--size wants WxH with each side 0 to 8192, not '" + std::string(value) + "'";
    return false;
  }
  if (option == "--now") {
    line->fixed_now = ParseLocalTimeArgument(value, &line->now);
    if (line->fixed_now) return true;
    *error = "--now wants a real date and time YYYY-MM-DDTHH:MM:SS (year 0 to 65535), not '" +
             std::string(value) + "'";
    return false;
  }
  (option == "--script" ? line->headless.script : line->headless.out_dir) = value;
  return true;
}

bool ParseCommandLine(int argc, char** argv, CommandLine* line, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--help" || option == "--version") {
      line->information = option == "--help" ? Information::kHelp : Information::kVersion;
      return true;  // the rest is not looked at, as nothing will run
    }
    if (!ParseOption(argc, argv, &i, line, error)) return false;
  }
  return true;
}

// A full disk or a closed pipe must not pass for success.
int PrintInformation(Information information) {
  const char* text = information == Information::kHelp ? kUsage : kVersionLine;
  if (std::fputs(text, stdout) >= 0 && std::fflush(stdout) == 0) return 0;
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

}  // namespace

int main(int argc, char** argv) {
  CommandLine line;
  std::string error;
  if (!ParseCommandLine(argc, argv, &line, &error)) {
    std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    if (line.unknown_option) std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  if (line.information != Information::kNone) return PrintInformation(line.information);
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

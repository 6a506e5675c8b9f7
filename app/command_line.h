// The command line of cyclune: which front end or command runs, and with what. Every option
// is one entry of a table (app/command_line.cpp) that gives its name, whether it takes a
// value, its line in the usage and what it sets; getopt_long reads the arguments. Options
// are taken whole ("--term" is not "--terminal"); a value follows as the next argument or
// after "=". A run is one front end or one command: naming two, or one of each, is a mistake.
// --help and --version end the reading: what follows them is not looked at.
//
// Example:
//   CommandLine line;
//   std::string error;
//   if (!ParseCommandLine(argc, argv, &line, &error)) {
//     std::fprintf(stderr, "cyclune: %s\n", error.c_str());
//     if (line.unknown_option) std::fputs(UsageText().c_str(), stderr);
//     return 2;
//   }
#pragma once

#include <string>
#include <string_view>

#include "platform/modules/headless.h"

enum class FrontEnd { kInteractive, kHeadless, kTerminal, kWindow };
enum class Information { kNone, kHelp, kVersion };
// Commands that print or write what Cyclune knows and end, without a window.
enum class ScriptCommand {
  kNone,
  kReport,
  kMonth,
  kIcs,
  kImport,
  kHistory,
  kUndo,
  kRecord,
  kRemove,
  kRemind
};
enum class HistoryFormat { kText, kJson, kCsv };
enum class ColourChoice { kAuto, kAlways, kNever };

struct CommandLine {
  FrontEnd front_end = FrontEnd::kInteractive;
  Information information = Information::kNone;  // --help or --version: print it, run nothing
  HeadlessOptions headless;
  bool unknown_option = false;  // the error names an option we do not have: show the usage
  bool fixed_now = false;
  LocalDateTime now{};
  ScriptCommand command = ScriptCommand::kNone;
  bool date_given = false;  // --report YYYY-MM-DD, --month YYYY-MM, --record, --remove
  CivilDay date;            // that day, or the 1st of that month
  std::string file;         // --ics FILE (empty or "-": standard output); --import FILE
  bool dry_run = false;     // --import and the history's commands: show, write nothing
  HistoryFormat history_format = HistoryFormat::kText;
  ColourChoice colour = ColourChoice::kAuto;
  bool cues = false;    // --cues: days show their kind by a mark's shape as well
  bool cursor = false;  // --cursor: the terminal shows its cursor
  int alarm_days = -1;  // --ics --alarm DAYS: a reminder that many days before each period
  // --remind: what is due today, said once.
  int days_before = -1;     // --days-before N: a period expected in N days or fewer; -1: not given
  bool fertile = false;     // --fertile: also a fertile window that starts tomorrow
  bool discreet = false;    // --discreet: no health words in what is said
  bool print_only = false;  // --print: on standard output, never as a notification
};

// The days --days-before and --alarm take, and --days-before when not given.
constexpr int kMaxReminderDays = 14;
constexpr int kDefaultDaysBefore = 2;

// Reads argv into *line. On a mistake returns false with *error set to one line without the
// program's name ("unknown option '--frobnicate'", "option --out needs a value").
bool ParseCommandLine(int argc, char** argv, CommandLine* line, std::string* error);

// Whether the month view marks each day's kind by shape as well as colour: --cues, or the
// variable CYCLUNE_CUES (`cues_variable`, nullptr when unset) set to anything but "" or "0".
bool WantDayMarks(const CommandLine& line, const char* cues_variable);

// Whether a terminal run shows its cursor: --cursor, or the variable CYCLUNE_CURSOR
// (`cursor_variable`, nullptr when unset) set to anything but "" or "0".
bool WantCursor(const CommandLine& line, const char* cursor_variable);

// The usage: the forms of the command, then one line per option.
std::string UsageText();

// "YYYY-MM-DD" naming a real day, its year 0 to 65535 as --now takes it (four digits, or five
// from 10000 on). False on anything else.
bool ParseDayArgument(std::string_view text, CivilDay* day);

// "YYYY-MM" with a year as above: the 1st of that month.
bool ParseMonthArgument(std::string_view text, CivilDay* day);

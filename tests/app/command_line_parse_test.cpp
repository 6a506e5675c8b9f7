// Reading the command line in-process: values after "=" or as the next argument, optional
// values that are not options, and the mistakes that must not pass for options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

TEST(CommandLineParse, OptionalValuesAndMistakes) {
  const struct {
    std::vector<std::string> arguments;
    ScriptCommand command;
    const char* value;  // the date as Y-M-D, or the file; the error when parsing fails
    bool ok;
  } cases[] = {
      {{"--report"}, ScriptCommand::kReport, "", true},
      {{"--report", "2024-02-29"}, ScriptCommand::kReport, "2024-2-29", true},
      {{"--report=2024-05-15", "--now", "2024-05-15T09:00:00"},
       ScriptCommand::kReport,
       "2024-5-15",
       true},
      {{"--report", "--now", "2024-05-15T09:00:00"}, ScriptCommand::kReport, "", true},
      {{"--month", "0001-01", "--color", "never"}, ScriptCommand::kMonth, "1-1-1", true},
      {{"--month=0000-01"}, ScriptCommand::kMonth, "0-1-1", true},  // the years of --now
      {{"--report", "0000-02-29"}, ScriptCommand::kReport, "0-2-29", true},
      {{"--report", "65535-12-31"}, ScriptCommand::kReport, "65535-12-31", true},
      {{"--ics", "-"}, ScriptCommand::kIcs, "-", true},
      {{"--ics=-x.ics"}, ScriptCommand::kIcs, "-x.ics", true},
      {{"--ics", "--now", "2024-05-15T09:00:00"}, ScriptCommand::kIcs, "", true},
      {{"--term"}, ScriptCommand::kNone, "unknown option '--term'", false},  // taken whole
      {{"--"}, ScriptCommand::kNone, "unknown option '--'", false},
      {{"--ics", "a.ics", "b.ics"}, ScriptCommand::kIcs, "unknown option 'b.ics'", false},
      {{"--help=yes"}, ScriptCommand::kNone, "unknown option '--help=yes'", false},
      {{"-hv"}, ScriptCommand::kNone, "unknown option '-hv'", false},
      {{"--color"}, ScriptCommand::kNone, "option --color needs a value", false},
      {{"--color=blue"},
       ScriptCommand::kNone,
       "--color wants auto, always or never, not 'blue'",
       false},
      {{"--report", "2023-02-29"},
       ScriptCommand::kReport,
       "--report wants a real date YYYY-MM-DD, not '2023-02-29'",
       false},
      {{"--report=065535-01-01"},
       ScriptCommand::kReport,
       "--report wants a real date YYYY-MM-DD, not '065535-01-01'",
       false},
      {{"--month", "2024-05-01"},
       ScriptCommand::kMonth,
       "--month wants a month YYYY-MM, not '2024-05-01'",
       false},
      // One front end or one command: never two, nor one of each, whatever their order.
      {{"--import", "a.txt", "--month"},
       ScriptCommand::kImport,
       "--import and --month are two commands: give one of them",
       false},
      {{"--report", "2024-01-02", "--ics", "-"},
       ScriptCommand::kReport,
       "--report and --ics are two commands: give one of them",
       false},
      {{"--month", "2024-05", "--month", "2024-06"},
       ScriptCommand::kMonth,
       "--month is given twice: give it once",
       false},
      {{"--window", "--terminal"},
       ScriptCommand::kNone,
       "--window and --terminal are two front ends: give one of them",
       false},
      {{"--month", "--headless"},
       ScriptCommand::kMonth,
       "--month does not open the calendar: leave out --window, --terminal, --headless",
       false},
      {{"--undo", "--record", "2024-05-01"},
       ScriptCommand::kUndo,
       "--undo and --record are two commands: give one of them",
       false},
      {{"--history=json", "--import", "a.csv"},
       ScriptCommand::kHistory,
       "--history and --import are two commands: give one of them",
       false},
      {{"--record", "2024-05-01", "--terminal"},
       ScriptCommand::kRecord,
       "--record does not open the calendar: leave out --window, --terminal, --headless",
       false},
      // --dry-run goes with the commands that write, and with them only.
      {{"--remove", "2024-05-01", "--dry-run"}, ScriptCommand::kRemove, "2024-5-1", true},
      {{"--report", "--dry-run"},
       ScriptCommand::kReport,
       "--dry-run goes with --import FILE, --history, --undo, --record or --remove",
       false},
      {{"--month", "2024-13"},
       ScriptCommand::kMonth,
       "--month wants a month YYYY-MM, not '2024-13'",
       false},
      {{"--month=+024-05"},
       ScriptCommand::kMonth,
       "--month wants a month YYYY-MM, not '+024-05'",
       false},
      {{"--remind", "--days-before", "14", "--fertile", "--print"},
       ScriptCommand::kRemind,
       "",
       true},
      {{"--remind", "--days-before=15"},
       ScriptCommand::kRemind,
       "--days-before wants a number of days 0 to 14, not '15'",
       false},
      {{"--ics", "--alarm", "-1"},
       ScriptCommand::kIcs,
       "--alarm wants a number of days 0 to 14, not '-1'",
       false},
      {{"--discreet"},
       ScriptCommand::kNone,
       "--days-before, --fertile, --discreet and --print go with --remind",
       false},
      {{"--report", "--alarm", "0"}, ScriptCommand::kReport, "--alarm goes with --ics", false},
      {{"--remind", "--ics"},
       ScriptCommand::kRemind,
       "--remind and --ics are two commands: give one of them",
       false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    arguments.insert(arguments.begin(), "cyclune");
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    CommandLine line;
    std::string error;
    const bool ok = ParseCommandLine(static_cast<int>(argv.size()) - 1, argv.data(), &line, &error);
    ASSERT_EQ(ok, c.ok) << c.arguments[0] << ": " << error;
    EXPECT_EQ(line.command, c.command) << c.arguments[0];
    const CivilDay d = line.date;
    const std::string value = !ok ? error
                              : line.date_given
                                  ? std::to_string(d.year()) + "-" + std::to_string(d.month()) +
                                        "-" + std::to_string(d.day())
                                  : line.file;
    EXPECT_EQ(value, c.value) << c.arguments[0];
  }
}

// The marks are asked for by --cues or by CYCLUNE_CUES with any value but "" and "0".
TEST(CommandLineParse, CuesComeFromTheOptionOrTheVariable) {
  const struct {
    std::vector<std::string> arguments;
    const char* variable;  // CYCLUNE_CUES; nullptr: unset
    bool marks;
  } cases[] = {
      {{"cyclune"}, nullptr, false},
      {{"cyclune", "--cues"}, nullptr, true},
      {{"cyclune", "--month", "--cues"}, "0", true},  // the option wins over the variable
      {{"cyclune"}, "1", true},
      {{"cyclune"}, "yes", true},
      {{"cyclune"}, "0", false},
      {{"cyclune"}, "", false},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    CommandLine line;
    std::string error;
    ASSERT_TRUE(ParseCommandLine(static_cast<int>(argv.size()) - 1, argv.data(), &line, &error));
    EXPECT_EQ(WantDayMarks(line, c.variable), c.marks)
        << arguments.back() << " " << (c.variable != nullptr ? c.variable : "unset");
  }
}

}  // namespace

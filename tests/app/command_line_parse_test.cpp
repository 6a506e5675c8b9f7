// Reading the command line in-process: every option of the table, values given after "=" or as
// the next argument, optional values, and the mistakes that must not pass for options.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Parsed {
  bool ok = false;
  CommandLine line;
  std::string error;
};

Parsed Parse(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "cyclune");
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  Parsed parsed;
  parsed.ok = ParseCommandLine(static_cast<int>(arguments.size()), argv.data(), &parsed.line,
                               &parsed.error);
  return parsed;
}

std::string DateText(const SYSTEMTIME& d) {
  return std::to_string(d.wYear) + "-" + std::to_string(d.wMonth) + "-" + std::to_string(d.wDay) +
         " w" + std::to_string(d.wDayOfWeek);
}

TEST(CommandLineParse, CommandsTakeTheirOptionalValues) {
  const struct {
    std::vector<std::string> arguments;
    ScriptCommand command;
    const char* date;  // "" when none is given
    const char* file;
  } cases[] = {
      {{"--report"}, ScriptCommand::kReport, "", ""},
      {{"--report", "2024-02-29"}, ScriptCommand::kReport, "2024-2-29 w4", ""},
      {{"--report=2024-05-15"}, ScriptCommand::kReport, "2024-5-15 w3", ""},
      {{"--report", "--now", "2024-05-15T09:00:00"}, ScriptCommand::kReport, "", ""},
      {{"--month", "0001-01"}, ScriptCommand::kMonth, "1-1-1 w1", ""},
      {{"--month", "9999-12", "--color", "never"}, ScriptCommand::kMonth, "9999-12-1 w3", ""},
      {{"--ics"}, ScriptCommand::kIcs, "", ""},
      {{"--ics", "-"}, ScriptCommand::kIcs, "", "-"},
      {{"--ics", "out.ics", "--now", "2024-05-15T09:00:00"}, ScriptCommand::kIcs, "", "out.ics"},
      {{"--ics=-x.ics"}, ScriptCommand::kIcs, "", "-x.ics"},
      {{"--report", "2024-01-02", "--month"}, ScriptCommand::kMonth, "", ""},  // the last wins
      {{"--terminal"}, ScriptCommand::kNone, "", ""},
  };
  for (const auto& c : cases) {
    const Parsed parsed = Parse(c.arguments);
    SCOPED_TRACE(c.arguments[0] + (c.arguments.size() > 1 ? " " + c.arguments[1] : ""));
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.line.command, c.command);
    EXPECT_EQ(parsed.line.date_given ? DateText(parsed.line.date) : "", c.date);
    EXPECT_EQ(parsed.line.file, c.file);
  }
}

TEST(CommandLineParse, EveryOtherOptionStillSetsWhatItDid) {
  Parsed parsed = Parse({"--headless", "--size=320x200", "--now", "2024-05-15T09:30:05",
                         "--script", "-", "--out", "shots", "--single-instance", "--color=always"});
  ASSERT_TRUE(parsed.ok) << parsed.error;
  EXPECT_EQ(parsed.line.front_end, FrontEnd::kHeadless);
  EXPECT_EQ(parsed.line.headless.width, 320);
  EXPECT_EQ(parsed.line.headless.height, 200);
  EXPECT_TRUE(parsed.line.fixed_now);
  EXPECT_EQ(parsed.line.now.wSecond, 5);
  EXPECT_EQ(parsed.line.headless.script, "-");
  EXPECT_EQ(parsed.line.headless.out_dir, "shots");
  EXPECT_TRUE(parsed.line.headless.single_instance);
  EXPECT_EQ(parsed.line.colour, ColourChoice::kAlways);
  EXPECT_EQ(Parse({"--window"}).line.front_end, FrontEnd::kWindow);
  EXPECT_EQ(Parse({"--version", "--frobnicate"}).line.information, Information::kVersion);
}

TEST(CommandLineParse, MistakesAreNamed) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;
    bool unknown;
  } cases[] = {
      {{"--term"}, "unknown option '--term'", true},  // no abbreviations
      {{"--"}, "unknown option '--'", true},
      {{"-"}, "unknown option '-'", true},
      {{"--ics", "a.ics", "b.ics"}, "unknown option 'b.ics'", true},
      {{"--help=yes"}, "unknown option '--help=yes'", true},
      {{"-hv"}, "unknown option '-hv'", true},
      {{"--color"}, "option --color needs a value", false},
      {{"--color=blue"}, "--color wants auto, always or never, not 'blue'", false},
      {{"--report", "2023-02-29"}, "--report wants a real date YYYY-MM-DD, not '2023-02-29'",
       false},
      {{"--report=0000-01-01"}, "--report wants a real date YYYY-MM-DD, not '0000-01-01'", false},
      {{"--report", "2024-5-1"}, "--report wants a real date YYYY-MM-DD, not '2024-5-1'", false},
      {{"--report", "-"}, "--report wants a real date YYYY-MM-DD, not '-'", false},
      {{"--month", "2024-13"}, "--month wants a month YYYY-MM, not '2024-13'", false},
      {{"--month", "2024-05-01"}, "--month wants a month YYYY-MM, not '2024-05-01'", false},
      {{"--month=+024-05"}, "--month wants a month YYYY-MM, not '+024-05'", false},
  };
  for (const auto& c : cases) {
    const Parsed parsed = Parse(c.arguments);
    EXPECT_FALSE(parsed.ok) << c.error;
    EXPECT_EQ(parsed.error, c.error);
    EXPECT_EQ(parsed.line.unknown_option, c.unknown) << c.error;
  }
}

// The usage is made from the table: every option on a line of its own within 79 columns.
TEST(CommandLineParse, UsageHasALineForEveryOption) {
  const std::string usage = UsageText();
  for (const char* option : {"--report [YYYY-MM-DD] ", "--month [YYYY-MM] ",
                             "--color=auto|always|never ", "--ics [FILE] "}) {
    EXPECT_NE(usage.find(std::string("\n  ") + option), std::string::npos) << option;
  }
  std::size_t start = 0;
  for (std::size_t end; (end = usage.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LT(end - start, 80u) << usage.substr(start, end - start);
  }
}

}  // namespace

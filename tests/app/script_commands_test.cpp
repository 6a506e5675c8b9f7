// cyclune --report, --month and --ics as scripts see them: the report is the box that Enter
// shows, the month is golden text, the calendar file is private and written whole, and none
// of them leaves a trace in the settings folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/dates/datetime.h"
#include "platform/text/unicode.h"
#include "tests/app/headless_run.h"

namespace {

namespace fs = std::filesystem;
using cyclune_test::ReadFile;
using cyclune_test::ScratchDir;

using Outcome = cyclune_test::ProgramOutcome;

// Runs cyclune in English and UTC with the settings folder `config` and one more variable.
Outcome RunCommand(const std::vector<std::string>& arguments, const fs::path& config,
                   const char* variable = "UNUSED=") {
  return cyclune_test::RunProgram(
      {arguments,
       {"LC_ALL=en_US.UTF-8", "TZ=UTC", "XDG_CONFIG_HOME=" + config.string(), "NO_COLOR", variable},
       {},
       config.parent_path() / "stdout.txt",
       config.parent_path() / "stderr.txt"});
}

// Stores the initial cycle settings with the last period at the given local time.
void StoreSettings(const fs::path& config, LocalDateTime last) {
  const std::uint64_t ticks = TicksOf(last);
  cyclune_test::WriteSettings(config, {{"LastPeriodHigh", static_cast<std::uint32_t>(ticks >> 32)},
                                       {"LastPeriodLow", static_cast<std::uint32_t>(ticks)}});
}

// The first box of a headless run from 15 May 2024 09:00 that presses `keys`, then Enter,
// as lines ended by "\n".
std::string ReportByEnter(const fs::path& config, const std::string& keys) {
  cyclune_test::HeadlessRun run;
  fs::copy(config, run.config, fs::copy_options::recursive);
  run.Run("2024-05-15T09:00:00", keys + "key 0x0D\n");
  const auto boxes = cyclune_test::ReadMessageBoxes(run.out);
  if (boxes.empty()) return "no box";
  std::string lines;
  for (const char c : Utf16ToUtf8(boxes[0].caption + u"\n" + boxes[0].text)) {
    if (c != '\r') lines += c;
  }
  return lines.back() == '\n' ? lines : lines + "\n";
}

TEST(ReportCommand, PrintsTheBoxThatEnterShows) {
  const struct {
    const char* what;
    LocalDateTime last;  // wYear 0: none stored
    int offset;          // days from today, 15 May 2024; 0 gives no date
  } cases[] = {
      {"today, most fertile", {CivilDay(2024, 5, 1), 9, 0, 0, 0}, 0},
      {"a later day, critical", {CivilDay(2024, 5, 1), 9, 0, 0, 0}, 14},
      {"an earlier time of day counts one day less", {CivilDay(2024, 5, 1), 15, 0, 0, 0}, -4},
      {"before the last period", {CivilDay(2024, 6, 5), 9, 0, 0, 0}, -1},
      {"no last period", {}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir scratch;
    const fs::path config = scratch.path() / "config";
    fs::create_directories(config);
    if (c.last.date.year() != 0) StoreSettings(config, c.last);
    std::vector<std::string> arguments{"--report", "--now", "2024-05-15T09:00:00"};
    std::string keys;
    if (c.offset != 0) {
      arguments.insert(arguments.begin() + 1, "2024-05-" + std::to_string(15 + c.offset));
      for (int i = 0; i < std::abs(c.offset); ++i)
        keys += c.offset > 0 ? "key 0x28\n" : "key 0x26\n";
    }
    const Outcome outcome = RunCommand(arguments, config);
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    EXPECT_EQ(outcome.out, ReportByEnter(config, keys));
  }
}

constexpr char kMay[] =
    "      May 2024\n"
    " S  M  T  W  T  F  S\n"
    "          1# 2+ 3+ 4+\n"
    " 5+ 6  7  8  9 10 11\n"
    "12~13~14~15<16~17 18\n"
    "19 20 21 22 23 24 25\n"
    "26 27 28 29#30+31+\n"
    "\n"
    " <  today\n"
    " #  first day of a predicted period\n"
    " +  other day of a predicted period\n"
    " *  most fertile day (predicted ovulation)\n"
    " ~  other day of a fertile window\n";

TEST(MonthCommand, GoldenTextAndColourOnRequest) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  StoreSettings(config, {CivilDay(2024, 5, 1), 9, 0, 0, 0});
  // Not a terminal: no colour by default.
  EXPECT_EQ(RunCommand({"--month", "--now", "2024-05-15T09:00:00"}, config).out, kMay);
  EXPECT_EQ(RunCommand({"--month", "2024-05", "--now", "2024-05-15T09:00:00"}, config).out, kMay);
  // Another month has no today; --color=always wins over NO_COLOR.
  const Outcome june =
      RunCommand({"--month", "2024-06", "--color=always", "--now", "2024-05-15T09:00:00"}, config,
                 "NO_COLOR=1");
  EXPECT_NE(june.out.find("\x1b[38;2;255;255;0;48;2;0;255;0m12"), std::string::npos) << june.out;
  EXPECT_EQ(june.out.find("48;2;0;0;64m"), std::string::npos) << "no day is drawn as today";
}

// The text without its colour sequences and without blanks at the ends of its lines.
std::string Unstyled(const std::string& text) {
  const std::string bare = std::regex_replace(text, std::regex("\x1b\\[[0-9;]*m"), "");
  return std::regex_replace(bare, std::regex(" +\n"), "\n");
}

// With colour, --cues or CYCLUNE_CUES=1 adds the marks that the month has without colour,
// and the legend shows each class in its colour with its mark; without colour the marks are
// always there.
TEST(MonthCommand, CuesMarkTheColouredMonthAndItsLegend) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  StoreSettings(config, {CivilDay(2024, 5, 1), 9, 0, 0, 0});
  const std::string now = "2024-05-15T09:00:00";
  for (const std::string month : {"2024-05", "2024-06"}) {  // June shows the most fertile day
    SCOPED_TRACE(month);
    const std::vector<std::string> coloured{"--month", month, "--color=always", "--now", now};
    const Outcome plain = RunCommand({"--month", month, "--now", now}, config);
    const Outcome cues = RunCommand(coloured, config, "CYCLUNE_CUES=1");
    EXPECT_EQ(Unstyled(cues.out), plain.out);
    EXPECT_EQ(RunCommand({"--month", month, "--color=always", "--cues", "--now", now}, config).out,
              cues.out);
    const Outcome colour_only = RunCommand(coloured, config, "CYCLUNE_CUES=0");
    EXPECT_EQ(Unstyled(colour_only.out).find_first_of("#+*~<"), std::string::npos);
    EXPECT_NE(cues.out.find("\x1b[38;2;255;255;0;48;2;255;0;0m # \x1b[0m first day of a "
                            "predicted period\n"),
              std::string::npos);
    EXPECT_EQ(RunCommand({"--month", month, "--cues", "--now", now}, config).out, plain.out);
  }
}

// The settings folder: every file with its bytes and time, and whether it exists at all.
std::map<std::string, std::string> Snapshot(const fs::path& config) {
  std::map<std::string, std::string> files{{"", fs::exists(config) ? "yes" : "no"}};
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(config, ignored)) {
    struct stat st {};
    ::lstat(entry.path().c_str(), &st);
    files[entry.path()] = ReadFile(entry.path()) + "@" + std::to_string(st.st_mtim.tv_nsec);
  }
  return files;
}

TEST(ScriptCommands, LeaveTheSettingsAlone) {
  for (const bool stored : {false, true}) {
    ScratchDir scratch;
    const fs::path config = scratch.path() / "config";
    if (stored) StoreSettings(config, {CivilDay(2024, 5, 1), 9, 0, 0, 0});
    const auto before = Snapshot(config);
    for (const char* command : {"--report", "--month", "--ics"}) {
      EXPECT_EQ(RunCommand({command}, config).exit_code, stored || command[2] != 'i' ? 0 : 1);
      EXPECT_EQ(Snapshot(config), before) << command;
    }
  }
}

// In a locale that is not UTF-8 the report and the month come in its character set, as a
// terminal of that locale shows them; what the set lacks is a '?', a space it lacks a space.
TEST(ScriptCommands, PrintInTheCharacterSetOfTheLocale) {
  const struct {
    const char* ctype;  // LC_CTYPE: the character set
    const char* time;   // LC_TIME: the language of the dates
    const char* option;
    const char* first_line;  // without the blanks that centre it
  } cases[] = {
      {"de_DE", "de_DE", "--report=2024-03-15", "Freitag, 15. M\xe4rz 2024"},  // Latin-1
      {"ru_RU.koi8r", "ru_RU.koi8r", "--report=2024-03-15",  // "... 2024 г." in KOI8-R
       "\xd0\xd1\xd4\xce\xc9\xc3\xc1, 15 \xcd\xc1\xd2\xd4\xc1 2024 \xc7."},
      {"el_GR", "el_GR", "--month=2024-03", "\xcc\xdc\xf1\xf4\xe9\xef\xf2 2024"},  // ISO-8859-7
      {"de_DE", "ru_RU.UTF-8", "--month=2024-03", "???? 2024"},  // Cyrillic in Latin-1
      {"C", "de_DE.UTF-8", "--report=2024-03-15", "Freitag, 15. M?rz 2024"},
  };
  for (const auto& c : cases) {
    ScratchDir scratch;
    const Outcome outcome = cyclune_test::RunProgram(
        {{c.option, "--color=never"},
         {"LC_ALL", "LANG", std::string("LC_CTYPE=") + c.ctype, std::string("LC_TIME=") + c.time,
          "XDG_CONFIG_HOME=" + (scratch.path() / "config").string()},
         {},
         scratch.path() / "stdout.txt",
         scratch.path() / "stderr.txt"});
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    const std::string first = outcome.out.substr(0, outcome.out.find('\n'));
    EXPECT_EQ(first.substr(first.find_first_not_of(' ')), c.first_line) << c.ctype << c.option;
  }
}

TEST(IcsCommand, WritesAPrivateFileWholeOrSaysWhyNot) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  fs::create_directories(config);
  const Outcome no_period = RunCommand({"--ics"}, config);
  EXPECT_EQ(no_period.exit_code, 1);
  EXPECT_EQ(no_period.err,
            "cyclune: no last period is set, so there is nothing to predict; "
            "set it in Cyclune first\n");
  StoreSettings(config, {CivilDay(2024, 5, 1), 9, 0, 0, 0});
  const fs::path file = scratch.path() / "cycle.ics";
  cyclune_test::WriteFile(file, "an older calendar");
  ::chmod(file.c_str(), 0644);
  EXPECT_EQ(RunCommand({"--ics", file, "--now", "2024-05-15T09:00:00"}, config).exit_code, 0);
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  // The same settings give the same text, to the file or to standard output.
  EXPECT_EQ(RunCommand({"--ics", "-", "--now", "2024-05-15T09:00:00"}, config).out, ReadFile(file));
  EXPECT_NE(ReadFile(file).find("DTSTAMP:20240515T090000Z\r\n"), std::string::npos);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch.path())) ++entries;
  EXPECT_EQ(entries, 4u) << "config, cycle.ics, stdout.txt, stderr.txt: no temporary file left";
  const std::string missing = (scratch.path() / "no" / "cycle.ics").string();
  const Outcome unwritable = RunCommand({"--ics", missing}, config);
  EXPECT_EQ(unwritable.exit_code, 1);
  EXPECT_EQ(unwritable.err, "cyclune: cannot write " + missing + ": No such file or directory\n");
}

// Runs a bash script in `folder` with $1 the cyclune binary, in English, UTC and with the
// settings folder `config`.
Outcome RunScript(const std::string& script, const fs::path& folder, const fs::path& config) {
  return cyclune_test::RunProgramAt(
      "/bin/bash", folder,
      {{"-c", "set -e\n" + script, "bash", CYCLUNE_BINARY},
       {"LC_ALL=en_US.UTF-8", "TZ=UTC", "XDG_CONFIG_HOME=" + config.string()},
       {},
       {},
       folder / "stderr.txt"});
}

const char kNow[] = "2024-05-15T09:00:00";

// The calendar of the settings in `config` on standard output.
std::string Calendar(const fs::path& config) {
  return RunCommand({"--ics", "-", "--now", kNow}, config).out;
}

// What is not a plain file is written in place, as standard output is: the FIFO stays one and
// its reader gets the calendar, and so do /dev/stdout and a pipe given as /dev/fd/3 (as a
// process substitution gives one).
TEST(IcsCommand, WritesInPlaceWhatIsNotAPlainFile) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  StoreSettings(config, {CivilDay(2024, 5, 1), 9, 0, 0, 0});
  const Outcome run = RunScript(
      "mkfifo fifo\n"
      "timeout 20 cat fifo > from-fifo &\n"
      "\"$1\" --ics fifo --now 2024-05-15T09:00:00\n"
      "wait $!\n"
      "\"$1\" --ics /dev/stdout --now 2024-05-15T09:00:00 > from-stdout\n"
      "\"$1\" --ics /dev/fd/3 --now 2024-05-15T09:00:00 3>&1 >/dev/null | cat > from-pipe\n",
      scratch.path(), config);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  struct stat st {};
  ASSERT_EQ(::lstat((scratch.path() / "fifo").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  const std::string calendar = Calendar(config);
  ASSERT_NE(calendar.find("BEGIN:VEVENT"), std::string::npos);
  for (const char* file : {"from-fifo", "from-stdout", "from-pipe"}) {
    EXPECT_EQ(ReadFile(scratch.path() / file), calendar) << file;
  }
}

// A link (a synced folder, a dotfile manager's) stays, and the file it leads to is replaced;
// a link of another user is not followed.
TEST(IcsCommand, WritesThroughASymbolicLink) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  StoreSettings(config, {CivilDay(2024, 5, 1), 9, 0, 0, 0});
  const fs::path target = scratch.path() / "synced" / "cycle.ics";
  cyclune_test::WriteFile(target, "an older calendar");
  const fs::path link = scratch.path() / "cycle.ics";
  fs::create_symlink("synced/cycle.ics", link);
  const Outcome run = RunCommand({"--ics", link, "--now", kNow}, config);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadFile(target), Calendar(config));
  EXPECT_EQ(std::distance(fs::directory_iterator(target.parent_path()), {}), 1);
  if (::geteuid() != 0) return;  // only root can give a link to another user
  cyclune_test::WriteFile(target, "an older calendar");
  ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
  const Outcome refused = RunCommand({"--ics", link, "--now", kNow}, config);
  EXPECT_EQ(refused.exit_code, 1);
  EXPECT_EQ(refused.err,
            "cyclune: cannot write " + link.string() + ": it is a symbolic link of another user\n");
  EXPECT_EQ(ReadFile(target), "an older calendar");
}

TEST(IcsCommand, TakesTheLongestFileName) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  StoreSettings(config, {CivilDay(2024, 5, 1), 9, 0, 0, 0});
  const fs::path file = scratch.path() / (std::string(251, 'c') + ".ics");  // 255 bytes
  const Outcome run = RunCommand({"--ics", file, "--now", kNow}, config);
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(ReadFile(file), Calendar(config));
}

// A calendar without an event is not a valid one: settings that predict nothing are refused
// as no last period is, and the file there is left as it was.
TEST(IcsCommand, RefusesSettingsThatPredictNothing) {
  const struct {
    const char* what;
    std::uint32_t cycle_length;
    LocalDateTime last;
  } cases[] = {
      {"a cycle of 0 days", 0, {CivilDay(2024, 5, 1), 9, 0, 0, 0}},
      {"a last period after the year 3000", 28, {CivilDay(3001, 1, 1), 9, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir scratch;
    const fs::path config = scratch.path() / "config";
    const std::uint64_t ticks = TicksOf(c.last);
    cyclune_test::WriteSettings(config,
                                {{"CycleLength", c.cycle_length},
                                 {"LastPeriodHigh", static_cast<std::uint32_t>(ticks >> 32)},
                                 {"LastPeriodLow", static_cast<std::uint32_t>(ticks)}});
    const fs::path file = scratch.path() / "cycle.ics";
    cyclune_test::WriteFile(file, "an older calendar");
    const Outcome run = RunCommand({"--ics", file, "--now", kNow}, config);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err,
              "cyclune: these settings predict no day in the years 1 to 3000, so there is "
              "nothing to write; check them in Cyclune\n");
    EXPECT_EQ(ReadFile(file), "an older calendar");
  }
}

}  // namespace

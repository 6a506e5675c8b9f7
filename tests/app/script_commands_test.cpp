// cyclune --report, --month and --ics as scripts see them: the report is the box that Enter
// shows, the month is golden text, the calendar file is private and written whole, and none
// of them leaves a trace in the settings folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/datetime.h"
#include "platform/unicode.h"
#include "tests/app/headless_run.h"

namespace {

namespace fs = std::filesystem;
using cyclune_test::ReadFile;
using cyclune_test::ScratchDir;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

// Runs cyclune in English, UTC, with the settings folder under `config`; `environment` adds
// or (with an empty value) removes variables.
Outcome RunCommand(const std::vector<std::string>& arguments, const fs::path& config,
            const std::map<std::string, std::string>& environment = {}) {
  const fs::path out_file = config.parent_path() / "stdout.txt";
  const fs::path err_file = config.parent_path() / "stderr.txt";
  const pid_t child = fork();
  if (child == 0) {
    setenv("LC_ALL", "en_US.UTF-8", 1);
    setenv("TZ", "UTC", 1);
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    unsetenv("NO_COLOR");
    for (const auto& [name, value] : environment) {
      if (value.empty()) unsetenv(name.c_str()); else setenv(name.c_str(), value.c_str(), 1);
    }
    const int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0) _exit(126);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(CYCLUNE_BINARY)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(CYCLUNE_BINARY, argv.data());
    _exit(127);
  }
  Outcome outcome;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    outcome.exit_code = WEXITSTATUS(status);
  }
  outcome.out = ReadFile(out_file);
  outcome.err = ReadFile(err_file);
  return outcome;
}

// Stores the settings with the last period at the given local date and time.
void StoreSettings(const fs::path& config, SYSTEMTIME last, std::uint32_t cycle = 28) {
  FILETIME ticks{};
  SystemTimeToFileTime(&last, &ticks);
  cyclune_test::WriteSettings(config, {{"CycleLength", cycle},
                                       {"LastPeriodHigh", ticks.dwHighDateTime},
                                       {"LastPeriodLow", ticks.dwLowDateTime}});
}

// The first message box of a headless run from `now` that presses `keys` and then Enter.
std::string ReportByEnter(const fs::path& settings, const std::string& now,
                          const std::string& keys) {
  cyclune_test::HeadlessRun run;
  fs::copy(settings, run.config, fs::copy_options::recursive);
  run.Run(now, keys + "key 0x0D\n");
  const auto boxes = cyclune_test::ReadMessageBoxes(run.out);
  if (boxes.empty()) return "no box";
  std::string text = Utf16ToUtf8(boxes[0].caption) + "\n" + Utf16ToUtf8(boxes[0].text);
  std::string lines;
  for (const char c : text) if (c != '\r') lines += c;
  return lines.back() == '\n' ? lines : lines + "\n";
}

TEST(ReportCommand, PrintsTheBoxThatEnterShows) {
  const struct {
    const char* what;
    SYSTEMTIME last;  // wYear 0: none stored
    int offset;       // days from today, 15 May 2024; 0 gives no date
  } cases[] = {
      {"today, most fertile", {2024, 5, 3, 1, 9, 0, 0, 0}, 0},
      {"a later day, critical", {2024, 5, 3, 1, 9, 0, 0, 0}, 14},
      {"an earlier time of day counts one day less", {2024, 5, 3, 1, 15, 0, 0, 0}, -4},
      {"before the last period", {2024, 6, 3, 5, 9, 0, 0, 0}, -1},
      {"no last period", {0, 0, 0, 0, 0, 0, 0, 0}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchDir scratch;
    const fs::path config = scratch.path() / "config";
    if (c.last.wYear != 0) StoreSettings(config, c.last); else fs::create_directories(config);
    std::vector<std::string> arguments{"--report", "--now", "2024-05-15T09:00:00"};
    std::string keys;
    if (c.offset != 0) {
      arguments.insert(arguments.begin() + 1, "2024-05-" + std::to_string(15 + c.offset));
      for (int i = 0; i < std::abs(c.offset); ++i) keys += c.offset > 0 ? "key 0x28\n" : "key 0x26\n";
    }
    const Outcome outcome = RunCommand(arguments, config);
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, ReportByEnter(config, "2024-05-15T09:00:00", keys));
  }
}

TEST(ReportCommand, GoldenText) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  StoreSettings(config, {2024, 5, 3, 1, 9, 0, 0, 0});
  EXPECT_EQ(RunCommand({"--report", "2024-05-15", "--now", "2024-05-20T09:00:00"}, config).out,
            "Wednesday, May 15, 2024\n"
            "Most fertile day\n"
            "Good chance to conceive a boy\n"
            "Possible Due Date: Wednesday, February 5, 2025\n"
            "Western Zodiac: Aquarius\n"
            "Chinese Zodiac: Dragon/Snake\n");
}

constexpr char kMayWithoutColour[] =
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

constexpr char kJuneWithoutColour[] =
    "      June 2024\n"
    " S  M  T  W  T  F  S\n"
    "                   1+\n"
    " 2+ 3  4  5  6  7  8\n"
    " 9~10~11~12*13~14 15\n"
    "16 17 18 19 20 21 22\n"
    "23 24 25 26#27+28+29+\n"
    "30+\n"
    "\n"
    " #  first day of a predicted period\n"
    " +  other day of a predicted period\n"
    " *  most fertile day (predicted ovulation)\n"
    " ~  other day of a fertile window\n";

TEST(MonthCommand, GoldenTextAndTheColourChoice) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  StoreSettings(config, {2024, 5, 3, 1, 9, 0, 0, 0});
  const std::string now = "2024-05-15T09:00:00";
  const struct {
    std::vector<std::string> arguments;
    std::map<std::string, std::string> environment;
    const char* golden;  // nullptr: coloured
  } cases[] = {
      {{"--month", "--now", now}, {}, kMayWithoutColour},  // auto, not a terminal
      {{"--month", "2024-05", "--color=never", "--now", now}, {}, kMayWithoutColour},
      {{"--month", "2024-06", "--now", now}, {}, kJuneWithoutColour},
      {{"--month", "--color=always", "--now", now}, {{"NO_COLOR", "1"}}, nullptr},
      {{"--month", "--color=always", "--now", now}, {{"TERM", "dumb"}}, nullptr},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunCommand(c.arguments, config, c.environment);
    EXPECT_EQ(outcome.exit_code, 0) << outcome.err;
    if (c.golden != nullptr) {
      EXPECT_EQ(outcome.out, c.golden);
    } else {
      EXPECT_NE(outcome.out.find("\x1b[38;2;255;255;255;48;2;0;0;64m15"), std::string::npos)
          << "today on dark blue: " << outcome.out;
      EXPECT_NE(outcome.out.find("\x1b[38;2;255;255;0;48;2;255;0;0m1"), std::string::npos);
    }
  }
}

// Every file of the settings folder with its bytes and time; the folder itself or not.
std::map<std::string, std::string> Snapshot(const fs::path& config) {
  std::map<std::string, std::string> files;
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(config, ignored)) {
    struct stat st {};
    ::lstat(entry.path().c_str(), &st);
    files[entry.path().string()] = ReadFile(entry.path()) + "@" + std::to_string(st.st_mtim.tv_nsec);
  }
  files["exists"] = fs::exists(config) ? "yes" : "no";
  return files;
}

TEST(ScriptCommands, LeaveTheSettingsAlone) {
  for (const bool stored : {false, true}) {
    ScratchDir scratch;
    const fs::path config = scratch.path() / "config";
    if (stored) StoreSettings(config, {2024, 5, 3, 1, 9, 0, 0, 0});
    const auto before = Snapshot(config);
    for (const auto& arguments : std::vector<std::vector<std::string>>{
             {"--report"}, {"--month"}, {"--ics"}, {"--ics", (scratch.path() / "a.ics").string()}}) {
      const Outcome outcome = RunCommand(arguments, config);
      EXPECT_EQ(outcome.exit_code, stored || arguments[0] != "--ics" ? 0 : 1) << arguments[0];
      EXPECT_EQ(Snapshot(config), before) << arguments[0];
    }
  }
}

TEST(IcsCommand, WritesAPrivateFileWhole) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  StoreSettings(config, {2024, 5, 3, 1, 9, 0, 0, 0});
  const fs::path file = scratch.path() / "cycle.ics";
  cyclune_test::WriteFile(file, "an older calendar");
  ::chmod(file.c_str(), 0644);
  const Outcome written = RunCommand({"--ics", file.string(), "--now", "2024-05-15T09:00:00"}, config);
  EXPECT_EQ(written.exit_code, 0) << written.err;
  EXPECT_EQ(written.out, "");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  const std::string text = ReadFile(file);
  EXPECT_EQ(text.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
  EXPECT_NE(text.find("DTSTAMP:20240515T090000Z\r\n"), std::string::npos);
  // The same settings give the same file; standard output gets the same text.
  EXPECT_EQ(RunCommand({"--ics", "-", "--now", "2024-05-15T09:00:00"}, config).out, text);
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(scratch.path())) ++entries;
  EXPECT_EQ(entries, 4u) << "config, cycle.ics, stdout.txt, stderr.txt and nothing left over";
}

TEST(IcsCommand, FailuresAreOneLineAndStatusOne) {
  ScratchDir scratch;
  const fs::path config = scratch.path() / "config";
  fs::create_directories(config);
  const Outcome no_period = RunCommand({"--ics"}, config);
  EXPECT_EQ(no_period.exit_code, 1);
  EXPECT_EQ(no_period.out, "");
  EXPECT_EQ(no_period.err,
            "cyclune: no last period is set, so there is nothing to predict; set it in Cyclune "
            "first\n");
  StoreSettings(config, {2024, 5, 3, 1, 9, 0, 0, 0});
  const std::string missing = (scratch.path() / "no" / "cycle.ics").string();
  const Outcome unwritable = RunCommand({"--ics", missing}, config);
  EXPECT_EQ(unwritable.exit_code, 1);
  EXPECT_EQ(unwritable.err, "cyclune: cannot write " + missing + ": No such file or directory\n");
  const Outcome bad_month = RunCommand({"--month", "2024-5"}, config);
  EXPECT_EQ(bad_month.exit_code, 2);
  EXPECT_EQ(bad_month.err, "cyclune: --month wants a month YYYY-MM, not '2024-5'\n");
}

}  // namespace

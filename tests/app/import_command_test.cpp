// cyclune --import as a user runs it: the table it prints, the settings it saves once with the
// old file kept aside, a dry run that writes nothing, refusals that write nothing, and the
// colours that the imported settings give in the calendar afterwards.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/dates/datetime.h"
#include "platform/instance/single_instance.h"
#include "tests/app/headless_run.h"
#include "tests/platform/registry_test_folder.h"

namespace {

namespace fs = std::filesystem;
using cyclune_test::ReadFile;
using cyclune_test::ScratchDir;
using cyclune_test::WriteFile;

const std::string kSamples = CYCLUNE_SOURCE_DIR "/tests/interop/samples/";

using Outcome = cyclune_test::ProgramOutcome;

// A scratch home for one test: config/ is XDG_CONFIG_HOME, run/ (0700) XDG_RUNTIME_DIR.
struct ImportHome {
  ScratchDir scratch;
  fs::path config = scratch.path() / "config";
  fs::path run = scratch.path() / "run";
  fs::path settings = config / "cyclune" / "registry.reg";
  ImportHome() { mkdir(run.c_str(), 0700); }

  // Runs cyclune with `arguments`, standard input from `input` (or /dev/null).
  Outcome Cyclune(const std::vector<std::string>& arguments, const std::string& input = "") const {
    const fs::path in_file = scratch.path() / "stdin.txt";
    WriteFile(in_file, input);
    return cyclune_test::RunProgram(
        {arguments,
         {"XDG_CONFIG_HOME=" + config.string(), "XDG_RUNTIME_DIR=" + run.string()},
         in_file,
         scratch.path() / "stdout.txt",
         scratch.path() / "stderr.txt"});
  }
};

// Every file under `root` with its mode, modification time and contents.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(root, ignored)) {
    struct stat info {};
    lstat(entry.path().c_str(), &info);
    files[entry.path().string()] = std::to_string(info.st_mode) + " " +
                                   std::to_string(info.st_mtim.tv_sec) + "." +
                                   std::to_string(info.st_mtim.tv_nsec) + " " +
                                   (entry.is_regular_file() ? ReadFile(entry.path()) : "");
  }
  return files;
}

std::uint64_t Ticks(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour) {
  const LocalDateTime time{CivilDay(year, month, day), hour};
  const std::uint64_t ticks = TicksOf(time);
  return ticks;
}

// Settings with a last period on 1 December 2025 at 20:00, and a value of another program.
std::string StoredSettings() {
  const std::uint64_t last = Ticks(2025, 12, 1, 20);
  char values[160];
  std::snprintf(values, sizeof values,
                "\"CycleLength\"=dword:0000001e\n\"LutealPhase\"=dword:0000000e\n"
                "\"MenstrualDays\"=dword:00000005\n\"LastPeriodHigh\"=dword:%08x\n"
                "\"LastPeriodLow\"=dword:%08x\n",
                static_cast<std::uint32_t>(last >> 32), static_cast<std::uint32_t>(last));
  return "Windows Registry Editor Version 5.00\n\n"
         "[HKEY_CURRENT_USER\\Software\\Other]\n\"Name\"=\"kept\"\n\n"
         "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n" +
         std::string(values);
}
const std::string kStoredSettings = StoredSettings();

const char kImportTable[] =
    "Found 8 period starts (drip CSV export).\n"
    "1 start after today (2026-03-01) was left out: 2026-03-25.\n"
    "3 periods before your last recorded one were skipped.\n"
    "\n"
    "Start       Interval  CycleLength  LutealPhase  MenstrualDays\n"
    "2025-12-02         0           15            7              2\n"
    "2025-12-28        26           20           10              3\n"
    "2026-01-27        30           25           12              4\n"
    "2026-02-24        28           26           13              4\n"
    "\n"
    "Last period 2026-02-24; CycleLength 26, LutealPhase 13, MenstrualDays 4.\n";

TEST(ImportCommand, RecordsEachNewStartAndKeepsTheOldSettingsAside) {
  ImportHome home;
  WriteFile(home.settings, kStoredSettings);
  const Outcome run =
      home.Cyclune({"--import", kSamples + "drip-clean.csv", "--now", "2026-03-01T09:00:00"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  ASSERT_EQ(run.out.rfind(kImportTable, 0), 0u) << run.out;

  std::vector<fs::path> copies;
  for (const auto& entry : fs::directory_iterator(home.settings.parent_path())) {
    if (entry.path().filename().string().rfind("registry.reg.before-import-", 0) == 0) {
      copies.push_back(entry.path());
    }
  }
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(ReadFile(copies[0]), kStoredSettings);
  struct stat info {};
  ASSERT_EQ(stat(copies[0].c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_NE(run.out.find(copies[0].string()), std::string::npos) << run.out;

  const auto values = cyclune_test::ReadSettings(home.config);
  EXPECT_EQ(values.at("CycleLength"), 26u);
  EXPECT_EQ(values.at("LutealPhase"), 13u);
  EXPECT_EQ(values.at("MenstrualDays"), 4u);
  // 24 February 2026 at the time of day of the import, 09:00.
  const std::uint64_t last = Ticks(2026, 2, 24, 9);
  EXPECT_EQ(values.at("LastPeriodHigh"), static_cast<std::uint32_t>(last >> 32));
  EXPECT_EQ(values.at("LastPeriodLow"), static_cast<std::uint32_t>(last));
  EXPECT_NE(ReadFile(home.settings).find("\"Name\"=\"kept\""), std::string::npos);
}

TEST(ImportCommand, DryRunWritesNothingAtAll) {
  {
    ImportHome home;  // nothing stored yet: not even the folder may appear
    const Outcome run = home.Cyclune({"--import", kSamples + "clue-messy.json", "--dry-run"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find("Dry run: nothing was written."), std::string::npos) << run.out;
    EXPECT_FALSE(fs::exists(home.config));
    EXPECT_TRUE(fs::is_empty(home.run));
  }
  ImportHome home;
  WriteFile(home.settings, kStoredSettings);
  const auto before = Snapshot(home.scratch.path() / "config");
  const Outcome run = home.Cyclune(
      {"--import", kSamples + "drip-clean.csv", "--dry-run", "--now", "2026-03-01T09:00:00"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, std::string(kImportTable) + "Dry run: nothing was written.\n");
  EXPECT_EQ(Snapshot(home.scratch.path() / "config"), before);
  EXPECT_TRUE(fs::is_empty(home.run));
}

// The running Cyclune would save its own settings over the import at its next save.
TEST(ImportCommand, RefusedWhileCycluneRuns) {
  ImportHome home;
  WriteFile(home.settings, kStoredSettings);
  const char* saved_config = std::getenv("XDG_CONFIG_HOME");
  const char* saved_runtime = std::getenv("XDG_RUNTIME_DIR");
  const std::string old_config = saved_config ? saved_config : "";
  const std::string old_runtime = saved_runtime ? saved_runtime : "";
  setenv("XDG_CONFIG_HOME", home.config.c_str(), 1);
  setenv("XDG_RUNTIME_DIR", home.run.c_str(), 1);
  ASSERT_FALSE(AnotherInstanceRunning());  // this process is now the running Cyclune
  const auto before = Snapshot(home.config);
  const Outcome run = home.Cyclune({"--import", kSamples + "drip-clean.csv"});
  ReleaseSingleInstance();
  saved_config ? setenv("XDG_CONFIG_HOME", old_config.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
  saved_runtime ? setenv("XDG_RUNTIME_DIR", old_runtime.c_str(), 1) : unsetenv("XDG_RUNTIME_DIR");

  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err.rfind("cyclune: Cyclune is running", 0), 0u) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
  EXPECT_EQ(Snapshot(home.config), before);
  // Once it has ended, the same import goes through.
  EXPECT_EQ(home.Cyclune({"--import", kSamples + "drip-clean.csv"}).exit_code, 0);
}

TEST(ImportCommand, RefusalsAreOneLineAndWriteNothing) {
  struct Case {
    const char* name;
    std::string content;  // written to the file to import, unless `path` is given
    std::string path;
    const char* error;
  };
  const Case cases[] = {
      {"no known format", "day,flow\n2025-01-01,2\n", "", "is not a file Cyclune can import"},
      {"broken", "date,bleeding.value\n2025-01-01,9\n", "", "(drip CSV export): line 2: "},
      {"no period start", "date,bleeding.value\n2025-01-01,\n", "", "no period start in it"},
      {"missing", "", "/nonexistent/export.csv", "cannot read /nonexistent/export.csv"},
      {"too large", "", "large", "is larger than 64 MiB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImportHome home;
    WriteFile(home.settings, kStoredSettings);
    std::string path = c.path;
    if (path.empty() || path == "large") {
      const fs::path file = home.scratch.path() / "export";
      WriteFile(file, c.content);
      if (path == "large") fs::resize_file(file, (std::uintmax_t{64} << 20) + 1);  // sparse
      path = file.string();
    }
    const auto before = Snapshot(home.config);
    const Outcome run = home.Cyclune({"--import", path});
    EXPECT_EQ(run.exit_code, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_EQ(run.err.rfind("cyclune: ", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(Snapshot(home.config), before);
  }
}

TEST(ImportCommand, OptionsThatDoNotGoTogether) {
  const struct {
    std::vector<std::string> arguments;
    const char* error;
  } cases[] = {
      {{"--dry-run"}, "--dry-run goes with --import FILE"},
      {{"--import"}, "option --import needs a value"},
      {{"--import", ""}, "--import needs a file name"},
      {{"--terminal", "--import", "x.csv"}, "--import does not open the calendar"},
  };
  for (const auto& c : cases) {
    ImportHome home;
    const Outcome run = home.Cyclune(c.arguments);
    EXPECT_EQ(run.exit_code, 2) << c.error;
    EXPECT_NE(run.err.find(c.error), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(home.config)) << c.error;
  }
}

TEST(ImportCommand, ReadsStandardInput) {
  ImportHome home;
  const Outcome run =
      home.Cyclune({"--import", "-", "--now", "2026-04-02T09:00:00"}, "2026-01-01\n2026-01-29\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("Last period 2026-01-29; CycleLength 28, LutealPhase 14"),
            std::string::npos)
      << run.out;
}

// The files beside the settings whose names begin with `prefix`.
std::vector<fs::path> FilesBeside(const fs::path& settings, const std::string& prefix) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(settings.parent_path())) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path());
  }
  return found;
}

// Two imports started together while a third writer holds the lock: each reads, folds and
// saves in turn, so the second starts from the first's result and neither is lost.
TEST(ImportCommand, TwoAtOnceAreBothKept) {
  ImportHome home;
  WriteFile(home.settings, kStoredSettings);
  WriteFile(home.scratch.path() / "a.txt", "2026-01-01\n");
  WriteFile(home.scratch.path() / "b.txt", "2026-02-01\n");
  const std::string script =
      "flock \"$2\" sh -c ': > held; sleep 1' &\n"
      "while [ ! -e held ]; do sleep 0.01; done\n"
      "for f in a b; do \"$1\" --import $f.txt --now 2026-03-01T09:00:00 > $f.out 2>&1 & done\n"
      "wait\n";
  const Outcome run = cyclune_test::RunProgramAt(
      "/bin/sh", home.scratch.path(),
      {{"-c", script, "sh", CYCLUNE_BINARY, (home.settings.string() + ".lock")},
       {"XDG_CONFIG_HOME=" + home.config.string(), "XDG_RUNTIME_DIR=" + home.run.string()},
       {},
       {},
       {}});
  ASSERT_EQ(run.exit_code, 0);
  int saves = 0;
  for (const char* name : {"a.out", "b.out"}) {
    const std::string out = ReadFile(home.scratch.path() / name);
    const bool saved = out.find("Saved to") != std::string::npos;
    saves += saved;
    EXPECT_TRUE(saved || out.find("Nothing new to record") != std::string::npos) << out;
  }
  // Each save kept what it replaced: the first the stored settings, the second the first's.
  std::set<std::string> kept;
  for (const fs::path& copy : FilesBeside(home.settings, "registry.reg.before-import-")) {
    kept.insert(ReadFile(copy));
  }
  EXPECT_EQ(kept.size(), static_cast<std::size_t>(saves));
  EXPECT_EQ(kept.count(kStoredSettings), 1u);
  EXPECT_EQ(cyclune_test::ReadSettings(home.config).at("LastPeriodLow"),
            static_cast<std::uint32_t>(Ticks(2026, 2, 1, 9)));
}

TEST(ImportCommand, GivesUpOnALockHeldOnAndSaysWhoHoldsIt) {
  ImportHome home;
  WriteFile(home.settings, kStoredSettings);
  fs::permissions(home.settings.parent_path(), fs::perms::owner_all);  // as Cyclune makes it
  LockHeldElsewhere holder(home.settings.string() + ".lock", 20);
  ASSERT_TRUE(holder.held());
  const auto before = Snapshot(home.config);
  const Outcome run = home.Cyclune({"--import", kSamples + "drip-clean.csv"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "cyclune: cannot lock your settings for the import: " + home.settings.string() +
                ".lock: another process (pid " + std::to_string(holder.pid()) +
                ") has held it for more than 5 seconds. Nothing was imported.\n");
  EXPECT_EQ(Snapshot(home.config), before);
}

// A FIFO put where the instance lock belongs is no running Cyclune, and no reason to wait.
TEST(ImportCommand, FifoAtTheInstanceLockDoesNotHang) {
  ImportHome home;
  WriteFile(home.settings, kStoredSettings);
  ASSERT_EQ(mkfifo((home.config / "cyclune" / "cyclune.lock").c_str(), 0600), 0);
  const Outcome run = cyclune_test::RunProgramAt(
      "/usr/bin/timeout", {},
      {{"20", CYCLUNE_BINARY, "--import", kSamples + "drip-clean.csv"},
       {"XDG_CONFIG_HOME=" + home.config.string(), "XDG_RUNTIME_DIR=" + home.run.string()},
       {},
       home.scratch.path() / "stdout.txt",
       home.scratch.path() / "stderr.txt"});
  EXPECT_EQ(run.exit_code, 0) << run.err;  // 124: timed out
  EXPECT_NE(run.out.find("Saved to"), std::string::npos) << run.out;
}

// A byte that is not UTF-8 in the settings path is kept as it is, in the files and the output.
TEST(ImportCommand, SettingsPathThatIsNotUtf8) {
  ImportHome home;
  home.config = home.scratch.path() / "config\xff";
  home.settings = home.config / "cyclune" / "registry.reg";
  WriteFile(home.settings, kStoredSettings);
  const Outcome run = home.Cyclune({"--import", kSamples + "drip-clean.csv"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::vector<fs::path> copies = FilesBeside(home.settings, "registry.reg.before-import-");
  ASSERT_EQ(copies.size(), 1u) << run.out;
  EXPECT_EQ(ReadFile(copies[0]), kStoredSettings);
  EXPECT_NE(run.out.find("Saved to " + home.settings.string() + ".\n"), std::string::npos);
  EXPECT_NE(run.out.find("before the import are in " + copies[0].string() + ".\n"),
            std::string::npos)
      << run.out;
  const fs::path history = home.config / "cyclune" / "history.sqlite";  // beside, as named
  EXPECT_NE(run.out.find("recorded in " + history.string() + ";"), std::string::npos) << run.err;
}

// Whatever the import leaves beside the settings, it names; a settings file too large to read
// in full is kept under second names, never copied.
TEST(ImportCommand, NamesEveryFileItLeaves) {
  const struct {
    const char* what;
    std::string settings;
    std::uintmax_t size;  // 0: as written
    bool save_fails;      // a folder at the temporary name stops the save after the copy
    int status;
  } cases[] = {
      {"larger than 8 MiB", kStoredSettings, std::uintmax_t{64} << 20, false, 0},
      {"does not parse", kStoredSettings + "[HKEY_LOCAL_MACHINE\\Broken\n", 0, false, 0},
      {"save fails", kStoredSettings, 0, true, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ImportHome home;
    WriteFile(home.settings, c.settings);
    if (c.size != 0) fs::resize_file(home.settings, c.size);  // sparse
    if (c.save_fails) fs::create_directories(home.settings.string() + ".tmp");
    const Outcome run = home.Cyclune({"--import", kSamples + "drip-clean.csv"});
    EXPECT_EQ(run.exit_code, c.status) << run.err;
    for (const auto& entry : fs::directory_iterator(home.settings.parent_path())) {
      const std::string name = entry.path().filename().string();
      // The settings, their lock, the save's temporary name and the history kept beside them.
      if (name == "registry.reg" || name == "registry.reg.lock" || name == "registry.reg.tmp" ||
          name == "history.sqlite") {
        continue;
      }
      EXPECT_NE((run.out + run.err).find(entry.path().string()), std::string::npos)
          << name << " is not named in:\n"
          << run.out << run.err;
      struct stat info {};
      ASSERT_EQ(stat(entry.path().c_str(), &info), 0);
      if (c.size != 0) {
        EXPECT_EQ(info.st_nlink, 2u) << name << " is a copy, not a second name";
      }
    }
  }
}

// The colours of April 2026 after importing drip's messy sample: periods every 23 days from
// 25 March (3 menstrual days), ovulation 11 days before each, as the calendar then shows.
TEST(ImportCommand, CalendarShowsTheImportedCycle) {
  ImportHome home;
  const Outcome imported =
      home.Cyclune({"--import", kSamples + "drip-messy.csv", "--now", "2026-04-02T09:00:00"});
  ASSERT_EQ(imported.exit_code, 0) << imported.err;
  ASSERT_NE(imported.out.find("CycleLength 23, LutealPhase 11, MenstrualDays 3."),
            std::string::npos)
      << imported.out;

  cyclune_test::HeadlessRun run;
  fs::create_directories(run.config);
  fs::copy(home.config / "cyclune", run.config / "cyclune");
  ASSERT_EQ(run.Run("2026-04-02T09:00:00", "shot april\n").exit_code, 0) << run.result.error_output;
  const auto shot = cyclune_test::LoadShot(run.out / "april.png");
  ASSERT_TRUE(shot);
  const auto fill = [&](int day) {  // April 2026 begins on a Wednesday; cells of 34 x 33
    const int column = (3 + day - 1) % 7;
    const int row = 2 + (3 + day - 1) / 7;
    return shot->At(column * 34 + 1, row * 33 + 1);
  };
  const std::map<int, Rgb> expected = {
      {2, Rgb{0, 0, 64}},                                                   // today, selected
      {5, Rgb{0, 128, 0}},      {6, Rgb{0, 255, 0}},  {7, Rgb{0, 128, 0}},  // fertile, ovulation
      {8, Rgb{255, 255, 255}},  {17, Rgb{255, 0, 0}}, {18, Rgb{128, 0, 0}},
      {19, Rgb{128, 0, 0}},  // next period
      {20, Rgb{255, 255, 255}},
  };
  for (const auto& [day, colour] : expected) EXPECT_EQ(fill(day), colour) << "April " << day;
}

}  // namespace

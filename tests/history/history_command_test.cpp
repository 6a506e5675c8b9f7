// The history's commands as a user runs them, on the real binary: the two files agree after
// every command and after a write cut short between them; a settings file edited by hand is
// never overwritten; hostile history files are left as they are while the settings file alone
// is used; a running Cyclune refuses the commands; a dry run writes nothing.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/instance/single_instance.h"
#include "tests/app/headless_run.h"
#include "tests/platform/registry_test_folder.h"

namespace {

namespace fs = std::filesystem;
using cyclune_test::ReadFile;
using cyclune_test::WriteFile;

struct Home {
  cyclune_test::ScratchDir scratch;
  fs::path config = scratch.path() / "config";
  fs::path run = scratch.path() / "run";
  fs::path folder = config / "cyclune";
  fs::path history = folder / "history.sqlite";
  Home() { mkdir(run.c_str(), 0700); }

  cyclune_test::ProgramOutcome Cyclune(std::vector<std::string> arguments,
                                       const std::string& now = "2024-06-01T09:00:00",
                                       const std::string& locale = "en_US.UTF-8") const {
    arguments.insert(arguments.end(), {"--now", now});
    return cyclune_test::RunProgram({arguments,
                                     {"XDG_CONFIG_HOME=" + config.string(),
                                      "XDG_RUNTIME_DIR=" + run.string(), "LC_ALL=" + locale},
                                     {},
                                     scratch.path() / "stdout.txt",
                                     scratch.path() / "stderr.txt"});
  }
  std::map<std::string, std::uint32_t> Settings() const {
    return cyclune_test::ReadSettings(config);
  }
  // The folder's files (but the one-instance lock) with a hash of their contents.
  std::map<std::string, std::size_t> Files() const {
    std::map<std::string, std::size_t> files;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
      if (entry.path().filename() == "cyclune.lock") continue;
      files[entry.path().filename()] =
          entry.is_regular_file() ? std::hash<std::string>()(ReadFile(entry.path())) : 0;
    }
    return files;
  }
};

int Lines(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(HistoryCommands, RecordUndoAndRemoveKeepBothFilesAgreeing) {
  Home home;
  const struct {
    std::vector<std::string> arguments;
    int exit_code;
    std::uint32_t cycle, luteal;
    std::size_t starts;  // lines of --history=csv after the header
  } steps[] = {
      {{"--record", "2024-03-01"}, 0, 28, 14, 1},
      {{"--record", "2024-03-31"}, 0, 29, 14, 2},
      {{"--record", "2024-03-30"}, 0, 14, 7, 3},  // a wrong correction: interval -1
      {{"--undo"}, 0, 29, 14, 2},
      {{"--record", "2024-04-27"}, 0, 28, 13, 3},
      {{"--remove", "2024-03-31"}, 0, 42, 21, 2},
      {{"--remove", "2024-03-31"}, 2, 42, 21, 2},  // no longer a recorded start
      {{"--undo"}, 0, 28, 13, 3},
      {{"--undo"}, 0, 29, 14, 2},
      {{"--undo"}, 0, 28, 14, 1},
      {{"--undo"}, 0, 28, 14, 0},
      {{"--undo"}, 1, 28, 14, 0},  // nothing to undo
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.arguments[0] + " " + (step.arguments.size() > 1 ? step.arguments[1] : ""));
    const auto outcome = home.Cyclune(step.arguments);
    EXPECT_EQ(outcome.exit_code, step.exit_code) << outcome.err;
    if (step.exit_code != 0) {
      EXPECT_EQ(Lines(outcome.err), 1) << outcome.err;
    }
    const auto settings = home.Settings();
    EXPECT_EQ(settings.at("CycleLength"), step.cycle);
    EXPECT_EQ(settings.at("LutealPhase"), step.luteal);
    const auto csv = home.Cyclune({"--history=csv"});
    EXPECT_EQ(csv.exit_code, 0) << csv.err;
    EXPECT_EQ(static_cast<std::size_t>(Lines(csv.out)), step.starts + 1) << csv.out;
  }
}

TEST(HistoryCommands, AWriteCutShortOrAnEditByHandLeavesTheSettingsFileAsItIs) {
  Home home;
  ASSERT_EQ(home.Cyclune({"--record", "2024-03-01"}).exit_code, 0);
  const std::string first = ReadFile(home.folder / "registry.reg");
  ASSERT_EQ(home.Cyclune({"--record", "2024-03-31"}).exit_code, 0);
  // As if killed after the history was written and before the settings file was: the
  // recording of 31 March never completed, and no one was told it did.
  WriteFile(home.folder / "registry.reg", first);
  auto json = home.Cyclune({"--history=json"});
  EXPECT_EQ(json.out.find("2024-03-31"), std::string::npos) << json.out;
  EXPECT_EQ(ReadFile(home.folder / "registry.reg"), first);
  // Edited by hand: the history takes the values as a new base and keeps them.
  cyclune_test::WriteSettings(home.config, {{"CycleLength", 33}, {"LutealPhase", 12}});
  const std::string edited = ReadFile(home.folder / "registry.reg");
  json = home.Cyclune({"--history=json"});
  EXPECT_NE(json.out.find("\"source\": \"outside\""), std::string::npos) << json.out;
  EXPECT_EQ(ReadFile(home.folder / "registry.reg"), edited);
  const auto undo = home.Cyclune({"--undo"});
  EXPECT_EQ(undo.exit_code, 1);
  EXPECT_NE(undo.err.find("nothing to undo"), std::string::npos) << undo.err;
}

// A database of another program, with its own tables and the given header values.
void WriteOtherDatabase(const fs::path& path, int application_id, int user_version) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  const std::string sql =
      "CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('mine');"
      "PRAGMA application_id = " +
      std::to_string(application_id) + "; PRAGMA user_version = " + std::to_string(user_version) +
      ";";
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

TEST(HistoryCommands, AHistoryItCannotUseIsLeftAsItIsAndTheSettingsStillSaved) {
  Home seed;  // a real history, to damage
  ASSERT_EQ(seed.Cyclune({"--record", "2024-03-01"}).exit_code, 0);
  ASSERT_EQ(seed.Cyclune({"--record", "2024-03-29"}).exit_code, 0);
  const std::string real = ReadFile(seed.history);
  const struct {
    const char* name;
    std::function<void(const Home&)> plant;
    const char* problem;
  } cases[] = {
      {"corrupt", [](const Home& h) { WriteFile(h.history, std::string(4096, '\x5a')); },
       "it is not a Cyclune history"},
      {"truncated",
       [&](const Home& h) { WriteFile(h.history, real.substr(0, real.size() / 2 + 100)); },
       "it is damaged"},
      {"a symbolic link",
       [](const Home& h) {
         WriteFile(h.scratch.path() / "elsewhere", "x");
         fs::create_symlink(h.scratch.path() / "elsewhere", h.history);
       },
       "it is a symbolic link"},
      {"another program's", [](const Home& h) { WriteOtherDatabase(h.history, 0, 0); },
       "it is the database of another program"},
      {"a newer version", [](const Home& h) { WriteOtherDatabase(h.history, 0x4379636C, 2); },
       "it was written by a newer Cyclune"},
      {"a folder", [](const Home& h) { fs::create_directories(h.history); }, "not a plain file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Home home;
    fs::create_directories(home.folder);
    c.plant(home);
    const auto planted = home.Files();
    const auto record = home.Cyclune({"--record", "2024-05-01"});
    EXPECT_EQ(record.exit_code, 0);
    EXPECT_EQ(Lines(record.err), 1) << record.err;
    EXPECT_NE(record.err.find(c.problem), std::string::npos) << record.err;
    EXPECT_EQ(home.Settings().at("CycleLength"), 28u);  // recorded all the same
    auto files = home.Files();
    files.erase("registry.reg");
    files.erase("registry.reg.lock");
    EXPECT_EQ(files, planted);
    EXPECT_EQ(home.Cyclune({"--undo"}).exit_code, 1);
  }
}

TEST(HistoryCommands, ARunningCycluneRefusesAndADryRunWritesNothing) {
  Home home;
  ASSERT_EQ(home.Cyclune({"--record", "2024-03-01"}).exit_code, 0);
  const auto before = home.Files();
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--record", "2024-03-29", "--dry-run"},
                                             {"--undo", "--dry-run"},
                                             {"--remove", "2024-03-01", "--dry-run"},
                                             {"--history", "--dry-run"}}) {
    const auto outcome = home.Cyclune(arguments);
    EXPECT_EQ(outcome.exit_code, 0) << arguments[0] << outcome.err;
    EXPECT_EQ(home.Files(), before) << arguments[0];
  }
  setenv("XDG_CONFIG_HOME", home.config.c_str(), 1);
  setenv("XDG_RUNTIME_DIR", home.run.c_str(), 1);
  ASSERT_FALSE(AnotherInstanceRunning());  // this process is now the running Cyclune
  std::vector<cyclune_test::ProgramOutcome> refused;
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--record", "2024-03-29"}, {"--undo"}, {"--remove", "2024-03-01"}, {"--history"}}) {
    refused.push_back(home.Cyclune(arguments));
  }
  ReleaseSingleInstance();
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("XDG_RUNTIME_DIR");
  for (const auto& outcome : refused) {
    EXPECT_EQ(outcome.exit_code, 2);
    EXPECT_EQ(outcome.err.rfind("cyclune: Cyclune is running", 0), 0u) << outcome.err;
    EXPECT_EQ(Lines(outcome.err), 1);
  }
  EXPECT_EQ(home.Files(), before);
}

// A recording waits for the settings' writers' lock as every save does, and gives up after 5
// seconds, naming the process that holds it and writing nothing.
TEST(HistoryCommands, GiveUpOnALockHeldOnAndSayWhoHoldsIt) {
  Home home;
  ASSERT_EQ(home.Cyclune({"--record", "2024-03-01"}).exit_code, 0);
  const std::string lock = (home.folder / "registry.reg.lock").string();
  LockHeldElsewhere holder(lock, 20);
  ASSERT_TRUE(holder.held());
  const auto before = home.Files();
  const auto outcome = home.Cyclune({"--record", "2024-03-29"});
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.err, "cyclune: cannot lock " + lock + ": another process (pid " +
                             std::to_string(holder.pid()) +
                             ") has held it for more than 5 seconds. Nothing was recorded.\n");
  EXPECT_EQ(home.Files(), before);
}

// Outside UTF-8 the text comes in the locale's character set, the bars drawn in '#'.
TEST(HistoryCommands, TheTextComesInTheLocalesCharacterSet) {
  Home home;
  for (const char* day : {"2024-03-01", "2024-03-29"}) {
    ASSERT_EQ(home.Cyclune({"--record", day}).exit_code, 0);
  }
  const auto text = home.Cyclune({"--history"}, "2024-06-01T09:00:00", "C");
  ASSERT_EQ(text.exit_code, 0) << text.err;
  EXPECT_NE(text.out.find("\n############ 28\n"), std::string::npos) << text.out;
  EXPECT_TRUE(std::all_of(text.out.begin(), text.out.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x80;
  })) << text.out;
}

TEST(HistoryCommands, TheHistoryIsPrivateWhateverTheUmask) {
  Home home;
  const mode_t old = umask(0);
  const auto outcome = home.Cyclune({"--record", "2024-03-01"});
  umask(old);
  ASSERT_EQ(outcome.exit_code, 0) << outcome.err;
  struct stat st {};
  ASSERT_EQ(stat(home.history.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(stat(home.folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  auto files = home.Files();
  EXPECT_EQ(files.count("history.sqlite-journal"), 0u) << "the journal outlived the write";
}

}  // namespace

namespace {

TEST(HistoryCommands, ItsCsvImportedIntoEmptySettingsGivesTheSameSettings) {
  Home home;
  // Recorded in runs at different times of day, so the intervals count whole 24-hour spans.
  for (const auto& [day, now] :
       std::vector<std::pair<std::string, std::string>>{{"2024-01-03", "2024-01-03T21:15:07"},
                                                        {"2024-01-30", "2024-01-31T07:02:59"},
                                                        {"2024-02-28", "2024-03-02T13:00:00"},
                                                        {"2024-03-27", "2024-03-27T06:45:00"}}) {
    ASSERT_EQ(home.Cyclune({"--record", day}, now).exit_code, 0);
  }
  const auto csv = home.Cyclune({"--history=csv"});
  ASSERT_EQ(csv.exit_code, 0) << csv.err;
  Home fresh;
  WriteFile(fresh.scratch.path() / "history.csv", csv.out);
  const auto imported = fresh.Cyclune({"--import", (fresh.scratch.path() / "history.csv").string()},
                                      "2024-06-01T12:00:00");
  ASSERT_EQ(imported.exit_code, 0) << imported.err << imported.out;
  EXPECT_EQ(fresh.Settings(), home.Settings());
}

TEST(HistoryCommands, AnImportMergesAroundAWrongEntryAndIsUndoneAsOne) {
  Home home;
  ASSERT_EQ(home.Cyclune({"--record", "2024-05-20"}).exit_code, 0);  // meant for 20 April
  const auto before = home.Settings();
  WriteFile(home.scratch.path() / "starts.txt", "2024-02-24\n2024-03-23\n2024-04-20\n");
  const auto imported = home.Cyclune({"--import", (home.scratch.path() / "starts.txt").string()});
  ASSERT_EQ(imported.exit_code, 0) << imported.err;
  EXPECT_NE(imported.out.find("2024-05-20        30           29           14              4"
                              "  (history)"),
            std::string::npos)
      << imported.out;
  EXPECT_EQ(home.Settings().at("CycleLength"), 29u);
  ASSERT_EQ(home.Cyclune({"--undo"}).exit_code, 0);
  EXPECT_EQ(home.Settings(), before);
}

}  // namespace

namespace {

TEST(HistoryCommands, TheCalendarTitlesEveryRecordedPeriodPeriod) {
  Home home;
  for (const char* day : {"2024-03-01", "2024-03-29", "2024-04-26"}) {
    ASSERT_EQ(home.Cyclune({"--record", day}).exit_code, 0);
  }
  const auto ics = home.Cyclune({"--ics"});
  ASSERT_EQ(ics.exit_code, 0) << ics.err;
  // UID, first day and summary of each event, in order.
  std::vector<std::string> events;
  std::istringstream lines(ics.out);
  std::string uid, start;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("UID:", 0) == 0) uid = line.substr(4);
    if (line.rfind("DTSTART;VALUE=DATE:", 0) == 0) start = line.substr(19);
    if (line.rfind("SUMMARY:", 0) == 0) events.push_back(uid + " " + start + " " + line.substr(8));
  }
  ASSERT_GE(events.size(), 5u);
  EXPECT_EQ(events[0], "recorded-period-1@history.cyclune 20240301 Period");
  EXPECT_EQ(events[1], "recorded-period-2@history.cyclune 20240329 Period");
  EXPECT_EQ(events[2], "period-1@predictions.cyclune 20240426 Period");
  EXPECT_EQ(events[3].substr(0, 12), "fertile-wind") << events[3];
  EXPECT_NE(ics.out.find("UID:period-2@predictions.cyclune\r\nDTSTAMP"), std::string::npos);
  EXPECT_NE(ics.out.find("SUMMARY:Predicted period"), std::string::npos);
}

}  // namespace

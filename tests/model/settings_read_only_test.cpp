// Reading the settings without writing them: ReadSettings fills AppState exactly as LoadSettings
// would from the same file, and leaves the settings folder as it found it, byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "model/app_state.h"
#include "model/settings.h"
#include "platform/registry.h"
#include "tests/platform/registry_test_folder.h"

namespace {

constexpr char kHead[] = "Windows Registry Editor Version 5.00\n\n"
                         "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n";

// Every entry of the settings folder with its bytes and modification time.
std::map<std::string, std::string> FolderState(const std::string& folder) {
  std::map<std::string, std::string> state;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored)) {
    struct stat st {};
    ::lstat(entry.path().c_str(), &st);
    state[entry.path().filename().string()] =
        ReadWholeFile(entry.path().string()) + "@" + std::to_string(st.st_mtim.tv_sec) + "." +
        std::to_string(st.st_mtim.tv_nsec);
  }
  return state;
}

bool SameRecord(const AppStateRecord& a, const AppStateRecord& b) {
  return std::memcmp(&a.LastPeriod, &b.LastPeriod, sizeof a.LastPeriod) == 0 &&
         a.CycleLength == b.CycleLength && a.LutealPhase == b.LutealPhase &&
         a.MenstrualDays == b.MenstrualDays && a.LastPeriodKnown == b.LastPeriodKnown;
}

TEST(SettingsReadOnly, ReadsAsLoadDoesAndTouchesNothing) {
  const struct {
    const char* what;
    const char* file;  // nullptr: no settings folder at all
  } cases[] = {
      {"no folder", nullptr},
      {"empty file", ""},
      {"another key only", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n"},
      {"empty key", kHead},
      {"all five", "Windows Registry Editor Version 5.00\n\n"
                   "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"
                   "\"CycleLength\"=dword:0000001d\n\"LutealPhase\"=dword:fffffff1\n"
                   "\"MenstrualDays\"=dword:00000004\n\"LastPeriodHigh\"=dword:01da6b2e\n"
                   "\"LastPeriodLow\"=dword:9c4c7000\n"},
      {"damaged file", "Windows Registry Editor Version 5.00\n\n"
                       "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"
                       "\"CycleLength\"=dword:00000020\n\"Broken\n\x01\x02\"LutealPhase\"=dword:9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegistryTestFolder folder;
    if (c.file != nullptr) WriteWholeFile(folder.file(), c.file);
    const auto before = FolderState(folder.folder());

    AppState = AppStateRecord{};
    AppState.CycleLength = 40;
    ReadSettings();
    const AppStateRecord read = AppState;
    EXPECT_EQ(FolderState(folder.folder()), before);
    EXPECT_EQ(std::filesystem::exists(folder.folder()), c.file != nullptr);

    AppState = AppStateRecord{};
    AppState.CycleLength = 40;
    LoadSettings();
    EXPECT_TRUE(SameRecord(read, AppState));
  }
  AppState = AppStateRecord{};
}

TEST(SettingsReadOnly, OpenNeverCreatesTheKey) {
  RegistryTestFolder folder;
  WriteWholeFile(folder.file(), "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n");
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Tamberlock\\Cyclune", 0, 0, &key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"x", 0, 0, &key), ERROR_SUCCESS);  // any case
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(ReadWholeFile(folder.file()),
            "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n");
}

}  // namespace

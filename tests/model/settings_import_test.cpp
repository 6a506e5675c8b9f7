// Reading the settings for an import or a dry run: what the plain load reads, with nothing
// created on disk when there is nothing yet, and a failure when the file cannot be read; and
// recording a period without the save.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/calendar_state.h"
#include "model/record_period.h"
#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "tests/platform/registry_test_folder.h"

namespace {

namespace fs = std::filesystem;

class SettingsForImport : public ::testing::Test {
 protected:
  RegistryTestFolder folder_;
  CalendarState state_;
};

TEST_F(SettingsForImport, LoadsWhatIsStoredAndCreatesNothing) {
  struct Case {
    const char* what;
    const char* file;  // nullptr: no folder at all
    std::int32_t cycle;
    bool known;
  };
  const Case cases[] = {
      {"no folder", nullptr, 40, false},
      {"no key", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Other]\n", 40, false},
      {"the key",
       "Windows Registry Editor Version 5.00\n\n"
       "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"
       "\"CycleLength\"=dword:0000001d\n\"LastPeriodHigh\"=dword:01da6b2e\n"
       "\"LastPeriodLow\"=dword:9c4c7000\n",
       29, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(folder_.folder());
    if (c.file != nullptr) WriteWholeFile(folder_.file(), c.file);
    state_ = CalendarState{};
    state_.CycleLength = 40;
    const SettingsSaveResult loaded = LoadSettingsWithoutCreating(state_);
    EXPECT_TRUE(loaded.ok) << std::string(loaded.reason.begin(), loaded.reason.end());
    EXPECT_EQ(state_.CycleLength, c.cycle);
    EXPECT_EQ(state_.LastPeriodKnown, c.known ? 1 : 0);
    if (c.file == nullptr) {
      EXPECT_FALSE(fs::exists(folder_.folder()));
    } else {
      EXPECT_EQ(ReadWholeFile(folder_.file()), c.file);
      EXPECT_EQ(std::distance(fs::directory_iterator(folder_.folder()), {}), 1);
    }
  }
}

TEST_F(SettingsForImport, SaysWhenTheFileCannotBeRead) {
  fs::create_directories(folder_.file());  // a folder where the file should be
  state_.CycleLength = 40;
  const SettingsSaveResult loaded = LoadSettingsWithoutCreating(state_);
  EXPECT_FALSE(loaded.ok);
  EXPECT_FALSE(loaded.reason.empty());
  EXPECT_EQ(state_.CycleLength, 40);
}

TEST_F(SettingsForImport, RecordingWithoutSavingLeavesTheDiskAlone) {
  state_.SelectedDate = LocalDateTime{CivilDay(2024, 5, 1), 9, 30};
  RecordPeriodWithoutSaving(state_);
  EXPECT_EQ(state_.LastPeriodKnown, 1);
  EXPECT_EQ(state_.LastPeriod.date.day(), 1);
  EXPECT_EQ(state_.MenstrualDays, 4);
  EXPECT_FALSE(fs::exists(folder_.folder()));
}

}  // namespace

// Loading and saving the cycle settings: what each stored form loads as, round trips to the
// millisecond, the file a save leaves, and the message for a failed save.
#include "model/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "model/calendar_state.h"
#include "platform/dates/datetime.h"
#include "tests/platform/registry_test_folder.h"

namespace {

constexpr char kHead[] =
    "Windows Registry Editor Version 5.00\n\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n";

LocalDateTime Date(std::int32_t y, std::int32_t mo, std::int32_t d, std::int32_t h, std::int32_t mi,
                   std::int32_t s, std::int32_t ms) {
  return LocalDateTime{CivilDay(y, mo, d), h, mi, s, ms};
}

bool SameTime(const LocalDateTime& a, const LocalDateTime& b) { return a == b; }

LocalDateTime FromTicks(std::uint32_t high, std::uint32_t low) {
  return LocalDateTimeOfTicks((static_cast<std::uint64_t>(high) << 32) | low);
}

class Settings : public ::testing::Test {
 protected:
  RegistryTestFolder folder_;
  CalendarState state_;
};

struct LoadCase {
  const char* what;
  std::string lines;  // below the key's header line; nullptr-like "-" means no file at all
  std::int32_t cycle, luteal, menstrual;
  bool known;
  std::uint32_t high, low;  // of the expected LastPeriod when known
};

// Fields start at 40/20/7 so that "keeps its value" is told apart from "reset to initial".
TEST_F(Settings, LoadTakesOnlyFourByteDwords) {
  const LoadCase cases[] = {
      {"no file", "-", 40, 20, 7, false, 0, 0},
      {"empty key", "", 40, 20, 7, false, 0, 0},
      {"only CycleLength", "\"CycleLength\"=dword:0000001e\n", 30, 20, 7, false, 0, 0},
      {"all five",
       "\"CycleLength\"=dword:0000001d\n\"LutealPhase\"=dword:0000000d\n\"MenstrualDays\"=dword:"
       "00000004\n"
       "\"LastPeriodHigh\"=dword:01da6b2e\n\"LastPeriodLow\"=dword:9c4c7000\n",
       29, 13, 4, true, 0x01da6b2e, 0x9c4c7000},
      {"negative and zero taken as they are",
       "\"CycleLength\"=dword:ffffffff\n\"LutealPhase\"=dword:00000000\n", -1, 0, 7, false, 0, 0},
      {"halves summing to zero",
       "\"LastPeriodHigh\"=dword:00000001\n\"LastPeriodLow\"=dword:ffffffff\n", 40, 20, 7, false, 0,
       0},
      {"low half alone", "\"LastPeriodLow\"=dword:00000001\n", 40, 20, 7, true, 0, 1},
      {"high half alone", "\"LastPeriodHigh\"=dword:00000001\n", 40, 20, 7, true, 1, 0},
      {"strings are not numbers",
       "\"CycleLength\"=\"28\"\n\"LutealPhase\"=\"x\"\n\"LastPeriodHigh\"=\"y\"\n", 40, 20, 7,
       false, 0, 0},
      {"binary is not a dword",
       "\"CycleLength\"=hex:1c,00,00,00\n\"MenstrualDays\"=hex(b):01,00,00,00,00,00,00,00\n", 40,
       20, 7, false, 0, 0},
      {"a dword must have four bytes",
       "\"CycleLength\"=hex(4):1c,00,00\n\"LutealPhase\"=hex(4):0e,00,00,00\n", 40, 14, 7, false, 0,
       0},
      {"a cut dword line is not read", "\"CycleLength\"=dword:0000001", 40, 20, 7, false, 0, 0},
      {"names and key ignore case",
       "\"cyclelength\"=dword:0000001f\n[hkey_local_machine\\software\\TAMBERLOCK\\cyclune]\n"
       "\"MENSTRUALDAYS\"=dword:00000003\n",
       31, 20, 3, false, 0, 0},
      {"the last of two lines wins",
       "\"CycleLength\"=dword:00000001\n\"CycleLength\"=dword:00000020\n", 32, 20, 7, false, 0, 0},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove_all(folder_.folder());
    if (std::string(c.lines) != "-") WriteWholeFile(folder_.file(), kHead + c.lines);
    state_ = CalendarState{};
    state_.CycleLength = 40;
    state_.LutealPhase = 20;
    state_.MenstrualDays = 7;
    LoadSettings(state_);
    EXPECT_EQ(state_.CycleLength, c.cycle);
    EXPECT_EQ(state_.LutealPhase, c.luteal);
    EXPECT_EQ(state_.MenstrualDays, c.menstrual);
    EXPECT_EQ(state_.LastPeriodKnown, c.known ? 1 : 0);
    EXPECT_TRUE(SameTime(state_.LastPeriod, c.known ? FromTicks(c.high, c.low) : LocalDateTime{}));
  }
}

TEST_F(Settings, FirstStartCreatesTheEmptyKey) {
  LoadSettings(state_);
  EXPECT_EQ(state_.CycleLength, 28);
  EXPECT_EQ(state_.LutealPhase, 14);
  EXPECT_EQ(state_.MenstrualDays, 5);
  EXPECT_EQ(state_.LastPeriodKnown, 0);
  EXPECT_EQ(ReadWholeFile(folder_.file()), std::string(kHead) + "\n");
}

TEST_F(Settings, SaveAndLoadRoundTripToTheMillisecond) {
  struct {
    std::int32_t cycle, luteal, menstrual;
    LocalDateTime last;
  } const cases[] = {
      {28, 14, 5, Date(2024, 2, 29, 23, 59, 59, 999)},
      {35, 16, 6, Date(2000, 1, 1, 12, 0, 0, 0)},
      {-7, 0, 2147483647, Date(1601, 1, 1, 0, 0, 0, 1)},
      {21, 12, 3, Date(9999, 12, 31, 23, 59, 59, 998)},
      // Instants whose two tick halves add up to 0 as 32-bit words, which on loading would
      // mean "no last period".
      {28, 14, 5, Date(1601, 1, 1, 0, 0, 0, 0)},
      {28, 14, 5, Date(1600, 12, 22, 1, 23, 26, 541)},
  };
  for (const auto& c : cases) {
    state_ = CalendarState{};
    state_.CycleLength = c.cycle;
    state_.LutealPhase = c.luteal;
    state_.MenstrualDays = c.menstrual;
    state_.LastPeriod = c.last;
    state_.LastPeriodKnown = 1;
    SettingsSaveResult saved = SaveSettings(state_);
    ASSERT_TRUE(saved.ok) << std::string(saved.reason.begin(), saved.reason.end());
    state_ = CalendarState{};
    LoadSettings(state_);
    EXPECT_EQ(state_.CycleLength, c.cycle);
    EXPECT_EQ(state_.LutealPhase, c.luteal);
    EXPECT_EQ(state_.MenstrualDays, c.menstrual);
    EXPECT_EQ(state_.LastPeriodKnown, 1);
    EXPECT_TRUE(SameTime(state_.LastPeriod, c.last)) << c.last.date.year();
  }
  EXPECT_EQ(ModeOf(folder_.folder()), 0700u);
  EXPECT_EQ(ModeOf(folder_.file()), 0600u);
}

TEST_F(Settings, SaveWritesFiveDwordsAndKeepsEverythingElse) {
  const std::string foreign =
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n\"Blob\"=hex:01,02,\\\n  03\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"
      "; "
      "kept\n@=\"default\"\n\"LutealPhase\"=dword:00000001\n\"Extra\"=hex(7):61,00,00,00,00,00\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune\\Sub]\n\"Deep\"=\"x\"\n";
  WriteWholeFile(folder_.file(), foreign);
  state_.LastPeriod = Date(2024, 3, 1, 8, 30, 0, 0);
  state_.LastPeriodKnown = 1;
  ASSERT_TRUE(SaveSettings(state_).ok);
  EXPECT_EQ(
      ReadWholeFile(folder_.file()),
      "Windows Registry Editor Version 5.00\n\n"
      "[HKEY_CURRENT_USER\\Software\\Other]\n\"Blob\"=hex:01,02,\\\n  03\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"
      "; kept\n@=\"default\"\n\"LutealPhase\"=dword:0000000e\n\"Extra\"=hex(7):61,00,00,00,00,00\n"
      "\"CycleLength\"=dword:0000001c\n\"MenstrualDays\"=dword:00000005\n"
      "\"LastPeriodHigh\"=dword:01da6bb2\n\"LastPeriodLow\"=dword:a6583400\n\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune\\Sub]\n\"Deep\"=\"x\"\n");
}

TEST_F(Settings, WithoutALastPeriodBothHalvesAreZero) {
  WriteWholeFile(folder_.file(), std::string(kHead) + "\"LastPeriodLow\"=dword:00000005\n");
  ASSERT_TRUE(SaveSettings(state_).ok);
  const std::string text = ReadWholeFile(folder_.file());
  EXPECT_NE(text.find("\"LastPeriodHigh\"=dword:00000000\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"LastPeriodLow\"=dword:00000000\n"), std::string::npos) << text;
  LoadSettings(state_);
  EXPECT_EQ(state_.LastPeriodKnown, 0);
}

TEST_F(Settings, AnInvalidLastPeriodIsNotStoredAsSomeOtherDay) {
  WriteWholeFile(folder_.file(), std::string(kHead) + "\"CycleLength\"=dword:0000001c\n");
  state_.LastPeriod = Date(2024, 2, 29, 24, 0, 0, 0);  // no such time of day
  state_.LastPeriodKnown = 1;
  SettingsSaveResult saved = SaveSettings(state_);
  EXPECT_FALSE(saved.ok);
  EXPECT_EQ(saved.reason, u"the date of the last period is not a valid date");
  EXPECT_EQ(ReadWholeFile(folder_.file()), std::string(kHead) + "\"CycleLength\"=dword:0000001c\n");
}

// A save never rewrites a file over 8 MiB (here sparse, 1 GiB) from its first part: it moves
// the very file aside (no copy: the same inode), starts a new one and says where the old went.
TEST_F(Settings, OversizedFileIsMovedAsideWholeAndTheUserToldWhere) {
  WriteWholeFile(folder_.file(), std::string(kHead) + "\"Foreign\"=\"x\"\n");
  ASSERT_EQ(::truncate(folder_.file().c_str(), off_t{1} << 30), 0);
  struct stat original {};
  ::stat(folder_.file().c_str(), &original);
  const SettingsSaveResult saved = SaveSettings(state_);
  ASSERT_TRUE(saved.ok);
  const std::string aside(saved.moved_aside.begin(), saved.moved_aside.end());
  EXPECT_EQ(aside.rfind(folder_.file() + ".unreadable-", 0), 0u) << aside;
  struct stat moved {};
  ASSERT_EQ(::stat(aside.c_str(), &moved), 0);
  EXPECT_EQ(moved.st_ino, original.st_ino);
  EXPECT_EQ(moved.st_size, original.st_size);
  EXPECT_EQ(ReadWholeFile(folder_.file()).find("Foreign"), std::string::npos);
  EXPECT_EQ(SaveNoticeSentence(saved), u"Your settings file " + saved.file +
                                           u" was too large to read in full, so it was moved to " +
                                           saved.moved_aside +
                                           u" and a new one was started with your settings.");
  EXPECT_TRUE(SaveSettings(state_).moved_aside.empty());  // the new file is read in full
}

TEST(SettingsMessage, NamesTheFileAndTheReason) {
  EXPECT_EQ(
      SaveFailureSentence(SettingsSaveResult{false,
                                             u"/home/ann/.config/cyclune/registry.reg",
                                             u"No space left on device",
                                             u"",
                                             {},
                                             {},
                                             {}}),
      u"Cyclune could not save your settings to /home/ann/.config/cyclune/registry.reg: No space "
      u"left on device. The new settings are kept only until Cyclune is closed.");
  EXPECT_EQ(
      SaveFailureSentence(
          SettingsSaveResult{false, u"/f", u"the date is not valid.", u"", {}, {}, {}}),
      u"Cyclune could not save your settings to /f: the date is not valid. The new settings are "
      u"kept only until Cyclune is closed.");
  EXPECT_EQ(SaveFailureSentence(SettingsSaveResult{true, u"/f", u"", u"", {}, {}, {}}), u"");
}

}  // namespace

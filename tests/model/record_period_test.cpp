// Recording a period: the folded averages from the old values, the copied selection, and
// what reaches the settings file, read back from disk.
#include "model/record_period.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "model/calendar_state.h"
#include "platform/dates/datetime.h"

namespace {

namespace fs = std::filesystem;

// The dword values of the settings file under `config_home`, by name.
std::map<std::string, std::uint32_t> StoredValues(const fs::path& config_home) {
  std::map<std::string, std::uint32_t> values;
  std::ifstream in(config_home / "cyclune" / "registry.reg");
  for (std::string line; std::getline(in, line);) {
    const auto equals = line.find("\"=dword:");
    if (line.empty() || line[0] != '"' || equals == std::string::npos) continue;
    values[line.substr(1, equals - 1)] =
        static_cast<std::uint32_t>(std::stoul(line.substr(equals + 8), nullptr, 16));
  }
  return values;
}

LocalDateTime Local(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour) {
  LocalDateTime t{CivilDay(year, month, day), hour};
  return t;
}

// Each test saves into its own settings folder.
class RecordPeriodTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "cyclune-record-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
    const char* old = getenv("XDG_CONFIG_HOME");
    had_config_home_ = old != nullptr;
    if (had_config_home_) old_config_home_ = old;
    UseConfigHome(scratch_ / "config");
  }
  void TearDown() override {
    if (had_config_home_) {
      setenv("XDG_CONFIG_HOME", old_config_home_.c_str(), 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    std::error_code ignored;
    fs::remove_all(scratch_, ignored);
  }
  void UseConfigHome(const fs::path& path) {
    config_home_ = path;
    setenv("XDG_CONFIG_HOME", path.c_str(), 1);
  }

  fs::path scratch_;
  fs::path config_home_;
  bool had_config_home_ = false;
  std::string old_config_home_;
  CalendarState state_;
};

TEST(FoldInterval, AveragesTruncateTowardZeroWithoutOverflow) {
  struct Case {
    std::int32_t cycle, luteal, interval;
    RecordedCycle expected;
  } cases[] = {
      {28, 14, 28, {28, 4, 14}},
      {28, 14, 30, {29, 4, 14}},
      {28, 14, 0, {14, 2, 7}},
      {28, 14, -10, {9, 1, 4}},
      {28, 14, -31, {-1, 0, 0}},
      {28, 14, -7, {10, 1, 5}},
      {28, 14, -28, {0, 0, 0}},
      {28, 14, 35, {31, 5, 15}},
      {INT32_MAX, INT32_MAX, 30, {1073741838, 178956973, 1073741831}},
      {INT32_MAX, INT32_MAX, INT32_MAX, {INT32_MAX, 357913941, 1610612735}},
      {INT32_MIN, INT32_MIN, -31, {-1073741839, -178956973, -1073741831}},
      {INT32_MIN, INT32_MIN, INT32_MIN, {INT32_MIN, -357913941, -1610612736}},
  };
  for (const Case& c : cases) {
    const RecordedCycle got = FoldInterval(c.cycle, c.luteal, c.interval);
    EXPECT_EQ(got.CycleLength, c.expected.CycleLength) << c.cycle << " " << c.interval;
    EXPECT_EQ(got.MenstrualDays, c.expected.MenstrualDays) << c.cycle << " " << c.interval;
    EXPECT_EQ(got.LutealPhase, c.expected.LutealPhase) << c.cycle << " " << c.interval;
  }
}

TEST_F(RecordPeriodTest, FoldsTheIntervalAndStoresAllFiveValues) {
  struct Case {
    const char* name;
    bool known;
    LocalDateTime last_period;
    LocalDateTime selected;
    std::int32_t cycle;
    RecordedCycle expected;
  } cases[] = {
      {"no last period", false, {}, Local(2024, 5, 20, 9), 28, {28, 4, 14}},
      {"30 days later", true, Local(2024, 4, 20, 9), Local(2024, 5, 20, 9), 28, {29, 4, 14}},
      {"same day", true, Local(2024, 5, 20, 9), Local(2024, 5, 20, 9), 28, {14, 2, 7}},
      {"10 days before", true, Local(2024, 5, 30, 9), Local(2024, 5, 20, 9), 28, {9, 1, 4}},
      {"31 days before", true, Local(2024, 6, 20, 9), Local(2024, 5, 20, 9), 28, {-1, 0, 0}},
      {"7 days before", true, Local(2024, 5, 27, 9), Local(2024, 5, 20, 9), 28, {10, 1, 5}},
      // 31 calendar days, but an hour short of them: 30 whole days.
      {"earlier time of day", true, Local(2024, 4, 19, 10), Local(2024, 5, 20, 9), 27, {28, 4, 14}},
  };
  for (const Case& c : cases) {
    state_ = CalendarState{};
    state_.CycleLength = c.cycle;
    state_.LastPeriodKnown = c.known ? 1 : 0;
    state_.LastPeriod = c.last_period;
    state_.SelectedDate = c.selected;
    state_.MenstrualDays = 99;  // replaced, never averaged
    const SettingsSaveResult saved = RecordPeriod(state_);
    EXPECT_TRUE(saved.ok) << c.name;
    EXPECT_EQ(state_.CycleLength, c.expected.CycleLength) << c.name;
    EXPECT_EQ(state_.MenstrualDays, c.expected.MenstrualDays) << c.name;
    EXPECT_EQ(state_.LutealPhase, c.expected.LutealPhase) << c.name;
    EXPECT_EQ(state_.LastPeriodKnown, 1) << c.name;
    EXPECT_EQ(state_.LastPeriod == c.selected, true) << c.name;

    const std::uint64_t ticks = TicksOf(c.selected);
    const auto stored = StoredValues(config_home_);
    EXPECT_EQ(stored.at("CycleLength"), static_cast<std::uint32_t>(c.expected.CycleLength));
    EXPECT_EQ(stored.at("MenstrualDays"), static_cast<std::uint32_t>(c.expected.MenstrualDays));
    EXPECT_EQ(stored.at("LutealPhase"), static_cast<std::uint32_t>(c.expected.LutealPhase));
    EXPECT_EQ(stored.at("LastPeriodHigh"), static_cast<std::uint32_t>(ticks >> 32)) << c.name;
    EXPECT_EQ(stored.at("LastPeriodLow"), static_cast<std::uint32_t>(ticks)) << c.name;
  }
}

TEST_F(RecordPeriodTest, RecordingAgainCountsFromTheFirstRecording) {
  struct Case {
    LocalDateTime first, second;
    RecordedCycle expected;
  } cases[] = {
      {Local(2024, 5, 20, 9), Local(2024, 5, 20, 9), {14, 2, 7}},
      {Local(2024, 5, 1, 9), Local(2024, 6, 5, 9), {31, 5, 15}},
  };
  for (const Case& c : cases) {
    state_ = CalendarState{};
    state_.SelectedDate = c.first;
    RecordPeriod(state_);
    state_.SelectedDate = c.second;
    RecordPeriod(state_);
    EXPECT_EQ(state_.CycleLength, c.expected.CycleLength);
    EXPECT_EQ(state_.MenstrualDays, c.expected.MenstrualDays);
    EXPECT_EQ(state_.LutealPhase, c.expected.LutealPhase);
    EXPECT_EQ(StoredValues(config_home_).at("CycleLength"),
              static_cast<std::uint32_t>(c.expected.CycleLength));
  }
}

TEST_F(RecordPeriodTest, AFailedSaveIsReturnedAndTheNewValuesStay) {
  const fs::path not_a_folder = scratch_ / "plain-file";
  std::ofstream(not_a_folder) << "x";
  UseConfigHome(not_a_folder);
  state_.SelectedDate = Local(2024, 5, 20, 9);
  const SettingsSaveResult saved = RecordPeriod(state_);
  EXPECT_FALSE(saved.ok);
  EXPECT_FALSE(SaveFailureSentence(saved).empty());
  EXPECT_EQ(state_.CycleLength, 28);
  EXPECT_EQ(state_.MenstrualDays, 4);
  EXPECT_EQ(state_.LastPeriodKnown, 1);
  EXPECT_EQ(state_.LastPeriod.date.day(), 20);
}

}  // namespace

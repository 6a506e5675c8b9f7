// Replaying imported starts: what is left out and why, the model's own recording of each
// start at the current time of day, and odd data that must neither hang nor overflow.
#include "interop/import_replay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/calendar.h"
#include "platform/dates/datetime.h"

namespace {

LocalDateTime At(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                 std::int32_t minute = 0) {
  LocalDateTime time{CivilDay(year, month, day), hour, minute};
  return time;
}

std::vector<std::string> Days(const std::vector<ImportDay>& days) {
  std::vector<std::string> text;
  for (const ImportDay& day : days) text.push_back(FormatImportDay(day));
  return text;
}

class ImportReplayTest : public ::testing::Test {
 protected:
  CycleSettings cycle_;
};

TEST_F(ImportReplayTest, LeavesOutRepeatsFutureDaysAndDaysUpToTheLastPeriod) {
  cycle_.LastPeriod = At(2025, 10, 30, 20);
  cycle_.LastPeriodKnown = true;
  const std::vector<ImportDay> starts = {
      {2026, 1, 27}, {2025, 9, 3}, {2026, 4, 30}, {2025, 10, 30}, {2025, 12, 2},
      {2026, 1, 27}, {2026, 4, 2}, {2026, 5, 28}, {2025, 10, 2},  {2026, 4, 3}};
  const ImportReplay replay = ReplayStarts(starts, At(2026, 4, 2, 9, 15), &cycle_);
  std::vector<std::string> recorded;
  for (const ReplayedStart& step : replay.recorded) recorded.push_back(FormatImportDay(step.day));
  // Today counts; the stored last period's own day is skipped, whatever its time of day.
  EXPECT_EQ(recorded, (std::vector<std::string>{"2025-12-02", "2026-01-27", "2026-04-02"}));
  EXPECT_EQ(Days(replay.after_today),
            (std::vector<std::string>{"2026-04-03", "2026-04-30", "2026-05-28"}));
  EXPECT_EQ(replay.before_last_period, 3u);
}

// Intervals are counted by the model from instant to instant: a last period stored at 20:00
// and a replay at 09:00 give one day less than the calendar, as "Set last period" would.
TEST_F(ImportReplayTest, RecordsEachStartAsSetLastPeriodWouldAtTheCurrentTimeOfDay) {
  cycle_.LastPeriod = At(2025, 12, 1, 20);
  cycle_.LastPeriodKnown = true;
  cycle_.CycleLength = 30;
  const LocalDateTime now = At(2026, 4, 2, 9, 15);
  const ImportReplay replay = ReplayStarts({{2025, 12, 31}, {2026, 1, 30}}, now, &cycle_);
  ASSERT_EQ(replay.recorded.size(), 2u);
  struct Expected {
    std::int64_t interval;
    std::int32_t cycle, luteal, menstrual;
  };
  const Expected expected[] = {{29, 29, 14, 4}, {30, 29, 14, 4}};
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(replay.recorded[i].interval_known);
    EXPECT_EQ(replay.recorded[i].interval, expected[i].interval) << i;
    EXPECT_EQ(replay.recorded[i].CycleLength, expected[i].cycle) << i;
    EXPECT_EQ(replay.recorded[i].LutealPhase, expected[i].luteal) << i;
    EXPECT_EQ(replay.recorded[i].MenstrualDays, expected[i].menstrual) << i;
  }
  const LocalDateTime last = cycle_.LastPeriod;
  EXPECT_EQ((std::vector<int>{last.date.year(), last.date.month(), last.date.day(),
                              last.date.weekday(), last.hour, last.minute}),
            (std::vector<int>{2026, 1, 30, 5, 9, 15}));
}

TEST_F(ImportReplayTest, WithoutAStoredPeriodTheFirstIntervalIsAssumed) {
  const ImportReplay replay =
      ReplayStarts({{2024, 5, 31}, {2024, 5, 1}}, At(2024, 6, 1, 8), &cycle_);
  ASSERT_EQ(replay.recorded.size(), 2u);
  EXPECT_FALSE(replay.recorded[0].interval_known);
  EXPECT_EQ(replay.recorded[0].CycleLength, 28);
  EXPECT_EQ(replay.recorded[0].MenstrualDays, 4);
  EXPECT_EQ(replay.recorded[1].interval, 30);
  EXPECT_EQ(replay.recorded[1].CycleLength, 29);
  EXPECT_TRUE(cycle_.LastPeriodKnown);
}

// Ten thousand starts spread over 1601 to 9979: every one is recorded, in order, and the
// truncating means climb from 28 towards the 306-day cycle, settling one below it.
TEST_F(ImportReplayTest, TenThousandStartsOverEightThousandYears) {
  std::vector<ImportDay> starts;
  LocalDateTime day = At(1601, 1, 1, 0);
  for (int i = 0; i < 10000; ++i) {
    starts.push_back(ImportDay{day.date.year(), day.date.month(), day.date.day()});
    day = AddDays(day, 306);
  }
  const ImportReplay replay = ReplayStarts(starts, At(9999, 12, 31, 23, 59), &cycle_);
  ASSERT_EQ(replay.recorded.size(), 10000u);
  EXPECT_EQ(FormatImportDay(replay.recorded.back().day), FormatImportDay(starts.back()));
  for (std::size_t i = 1; i < replay.recorded.size(); ++i) {
    ASSERT_EQ(replay.recorded[i].interval, 306) << i;
  }
  EXPECT_EQ(cycle_.CycleLength, 305);
  EXPECT_EQ(cycle_.LutealPhase, 152);
  EXPECT_EQ(cycle_.MenstrualDays, 50);
}

}  // namespace

// The history's rules on values: the fold's edge cases recorded and undone through it, removal
// replayed against a fold computed here by plain arithmetic, agreement with the settings file,
// undo back to the base and imports merged by date.
#include "history/period_history.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/dates/civil_days.h"

namespace {

constexpr std::int64_t kMsPerDay = 86400000;

const HistoryStamp kStamp{"2024-06-01T09:00:00", HistorySource::kCommandLine, "", ""};

std::int64_t Day(int year, unsigned month, unsigned day) {
  return civil::CivilDaysFrom(year, month, day);
}

Recording At(int year, unsigned month, unsigned day, int hour = 9) {
  return Recording{Day(year, month, day), hour * 3600000};
}

// A history begun from `base`.
PeriodHistory Begun(const StoredSettings& base) {
  PeriodHistory history;
  history.Reconcile(base, kStamp);
  history.TakeChange();
  return history;
}

StoredSettings Cycle(std::int32_t cycle, std::int32_t luteal, std::int32_t menstrual,
                     const StoredSettings& with_last_period_of = {}) {
  return StoredSettings{cycle, luteal, menstrual, with_last_period_of.LastPeriodHigh,
                        with_last_period_of.LastPeriodLow};
}

// The fold by plain arithmetic on millisecond instants: the oracle for every replay.
struct Oracle {
  std::int64_t cycle = 28, luteal = 14, menstrual = 5;
  bool known = false;
  std::int64_t last = 0;  // ms from 1970
  void Record(const Recording& start) {
    const std::int64_t instant = start.day * kMsPerDay + start.time_ms;
    const std::int64_t interval = known ? (instant - last) / kMsPerDay : 28;
    cycle = (cycle + interval) / 2;
    menstrual = cycle / 6;
    luteal = (luteal + interval / 2) / 2;
    known = true;
    last = instant;
  }
};

void ExpectMatches(const Oracle& oracle, const StoredSettings& values) {
  const CycleSettings loaded = LoadedSettings(values);
  EXPECT_EQ(loaded.CycleLength, oracle.cycle);
  EXPECT_EQ(loaded.LutealPhase, oracle.luteal);
  EXPECT_EQ(loaded.MenstrualDays, oracle.menstrual);
  ASSERT_EQ(loaded.LastPeriodKnown, oracle.known);
  if (oracle.known) {
    const Recording last = RecordingOf(loaded.LastPeriod);
    EXPECT_EQ(last.day * kMsPerDay + last.time_ms, oracle.last);
  }
}

TEST(PeriodHistory, FoldEdgeCasesRecordAndUndoExactly) {
  const StoredSettings initial{};
  StoredSettings known_on_1_may;  // 1 May 2024 09:00 after a first recording
  {
    PeriodHistory first = Begun(initial);
    first.Record(At(2024, 5, 1), kStamp);
    known_on_1_may = first.Current();
  }
  const struct {
    const char* name;
    StoredSettings base;
    Recording start;
    std::int32_t cycle, menstrual, luteal;
  } cases[] = {
      {"no last period: interval 28", initial, At(2024, 5, 1), 28, 4, 14},
      {"30 days later", Cycle(28, 14, 5, known_on_1_may), At(2024, 5, 31), 29, 4, 14},
      {"same day: interval 0", Cycle(28, 14, 4, known_on_1_may), At(2024, 5, 1), 14, 2, 7},
      {"10 days before", Cycle(28, 14, 4, known_on_1_may), At(2024, 4, 21), 9, 1, 4},
      {"31 days before", Cycle(28, 14, 4, known_on_1_may), At(2024, 3, 31), -1, 0, 0},
      {"7 days before", Cycle(28, 14, 4, known_on_1_may), At(2024, 4, 24), 10, 1, 5},
      {"an hour earlier: 29 whole days", Cycle(28, 14, 4, known_on_1_may), At(2024, 5, 31, 8), 28,
       4, 14},
  };
  for (const auto& c : cases) {
    PeriodHistory history = Begun(c.base);
    history.Record(c.start, kStamp);
    const CycleSettings after = LoadedSettings(history.Current());
    EXPECT_EQ(after.CycleLength, c.cycle) << c.name;
    EXPECT_EQ(after.MenstrualDays, c.menstrual) << c.name;
    EXPECT_EQ(after.LutealPhase, c.luteal) << c.name;
    EXPECT_EQ(RecordingOf(after.LastPeriod), c.start) << c.name;
    ASSERT_TRUE(history.Undo(kStamp)) << c.name;
    EXPECT_EQ(history.Current(), c.base) << c.name;
    EXPECT_FALSE(history.Undo(kStamp)) << c.name << ": the base is not undone";
  }
}

TEST(PeriodHistory, RemovalReplaysTheLaterRecordingsAsAnIndependentFold) {
  std::uint32_t seed = 12345;
  auto next = [&seed](std::uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % bound;
  };
  for (int round = 0; round < 20; ++round) {
    std::vector<Recording> starts;
    std::int64_t day = Day(2023, 1, 1);
    for (int i = 0; i < 15; ++i) {
      day += 20 + next(20);
      // Now and then a recording out of order, as a correction would be.
      const std::int64_t shown = next(6) == 0 ? day - 3 : day;
      starts.push_back(Recording{shown, static_cast<std::int32_t>(next(24 * 60)) * 60000});
    }
    PeriodHistory history = Begun(StoredSettings{});
    for (const Recording& start : starts) history.Record(start, kStamp);
    const std::size_t removed = next(static_cast<std::uint32_t>(starts.size()));
    std::string refusal;
    ASSERT_TRUE(history.Remove(starts[removed].day, kStamp, &refusal)) << refusal;
    Oracle oracle;
    for (std::size_t i = 0; i < starts.size(); ++i) {
      if (i != removed) oracle.Record(starts[i]);
    }
    ExpectMatches(oracle, history.Current());
    EXPECT_EQ(history.Starts().size(), starts.size() - 1);
  }
}

TEST(PeriodHistory, RemovalRefusesWhatItCannotReplay) {
  PeriodHistory history = Begun(StoredSettings{});
  history.Record(At(2024, 1, 1), kStamp);
  const StoredSettings by_hand = Cycle(30, 14, 5, history.Current());
  history.Reconcile(by_hand, kStamp);  // edited outside Cyclune: a new base
  history.Record(At(2024, 2, 1), kStamp);
  const struct {
    std::int64_t day;
    const char* refusal;
  } cases[] = {
      {Day(2024, 3, 3), "is not a recorded start"},
      {Day(2024, 1, 1), "is the last period of settings changed outside Cyclune"},
  };
  for (const auto& c : cases) {
    std::string refusal;
    EXPECT_FALSE(history.Remove(c.day, kStamp, &refusal));
    EXPECT_EQ(refusal.find(c.refusal), 0u) << refusal;
  }
  std::string refusal;
  EXPECT_TRUE(history.Remove(Day(2024, 2, 1), kStamp, &refusal));
  EXPECT_EQ(history.Current(), by_hand);
}

TEST(PeriodHistory, ReconcileFollowsTheSettingsFile) {
  PeriodHistory recorded = Begun(StoredSettings{});
  recorded.Record(At(2024, 1, 1), kStamp);
  const std::int64_t batch = recorded.TakeChange().added.front().batch;
  const StoredSettings before{};
  const StoredSettings after = recorded.Current();
  const StoredSettings by_hand = Cycle(31, 15, 5, after);
  const struct {
    const char* name;
    StoredSettings file;
    std::int64_t dropped;
    std::size_t operations;
    HistorySource last_source;
  } cases[] = {
      {"the file holds the last write", after, 0, 2, HistorySource::kCommandLine},
      {"the last write never reached the file", before, batch, 1, HistorySource::kSettingsFile},
      {"changed outside Cyclune", by_hand, 0, 3, HistorySource::kOutside},
  };
  for (const auto& c : cases) {
    PeriodHistory history = recorded;
    history.Reconcile(c.file, kStamp);
    const HistoryChange change = history.TakeChange();
    EXPECT_EQ(change.drop_batch, c.dropped) << c.name;
    EXPECT_EQ(history.operations().size(), c.operations) << c.name;
    EXPECT_EQ(history.operations().back().source, c.last_source) << c.name;
    EXPECT_EQ(history.Current(), c.file) << c.name;
  }
}

TEST(PeriodHistory, UndoStepsBackOneOperationAtATimeToTheBase) {
  PeriodHistory history = Begun(StoredSettings{});
  std::vector<StoredSettings> seen{history.Current()};
  history.Record(At(2024, 1, 1), kStamp);
  seen.push_back(history.Current());
  history.Import({At(2024, 1, 29), At(2024, 2, 27)}, Day(2024, 6, 1), kStamp);
  seen.push_back(history.Current());
  std::string refusal;
  ASSERT_TRUE(history.Remove(Day(2024, 1, 29), kStamp, &refusal));
  seen.push_back(history.Current());
  for (std::size_t back = seen.size() - 1; back-- > 0;) {
    ASSERT_TRUE(history.Undo(kStamp));
    EXPECT_EQ(history.Current(), seen[back]);
  }
  EXPECT_FALSE(history.Undo(kStamp));
  EXPECT_TRUE(history.Starts().empty());
}

TEST(PeriodHistory, ImportMergesByDateAroundAWrongRecentEntry) {
  PeriodHistory history = Begun(StoredSettings{});
  history.Record(At(2024, 1, 1), kStamp);
  history.Record(At(2024, 3, 20), kStamp);  // wrong: later than the file's periods
  const ImportMerge merge = history.Import(
      {At(2024, 2, 27), At(2024, 1, 29), At(2024, 1, 29), At(2024, 1, 1), At(2024, 7, 1)},
      Day(2024, 6, 1), kStamp);
  EXPECT_EQ(merge.added.size(), 2u);
  EXPECT_EQ(merge.already_recorded, 1u);
  EXPECT_EQ(merge.after_today, std::vector<std::int64_t>{Day(2024, 7, 1)});
  Oracle oracle;
  for (const Recording& start :
       {At(2024, 1, 1), At(2024, 1, 29), At(2024, 2, 27), At(2024, 3, 20)}) {
    oracle.Record(start);
  }
  ExpectMatches(oracle, history.Current());
  ASSERT_EQ(merge.steps.size(), 4u);
  EXPECT_TRUE(merge.steps[1].added && merge.steps[2].added && !merge.steps[3].added);
}

}  // namespace

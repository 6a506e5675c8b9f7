// The whole program, headless: the real cyclune binary with a fixed clock, a script of input
// events and its own settings folder; what it painted, showed and stored is read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/dates/datetime.h"
#include "tests/app/headless_run.h"

namespace {

using cyclune_test::HeadlessRun;
using cyclune_test::LoadShot;
using cyclune_test::ReadMessageBoxes;
using cyclune_test::ReadSettings;
using cyclune_test::RunCyclune;
using cyclune_test::WriteSettings;

constexpr int kCellWidth = 34;  // a 240 x 266 client area
constexpr int kCellHeight = 33;
constexpr Rgb kDarkBlue = Rgb{0, 0, 64};
constexpr Rgb kRed = Rgb{255, 0, 0};
constexpr Rgb kDarkRed = Rgb{128, 0, 0};
constexpr Rgb kWhite = Rgb{255, 255, 255};

// The column and row of a day of May 2024, whose 1st is a Wednesday.
std::pair<int, int> MayCell(int day) { return {(3 + day - 1) % 7, 2 + (3 + day - 1) / 7}; }

std::optional<Rgb> MayFill(const cyclune_test::Picture& shot, int day) {
  const auto [column, row] = MayCell(day);
  return shot.At(column * kCellWidth + 1, row * kCellHeight + 1);
}

std::uint64_t Ticks(std::int32_t year, std::int32_t month, std::int32_t day, std::int32_t hour,
                    std::int32_t minute) {
  const LocalDateTime t{CivilDay(year, month, day), hour, minute};
  const std::uint64_t ticks = TicksOf(t);
  return ticks;
}

void StoreLastPeriod(HeadlessRun& run, const std::uint64_t& last, std::uint32_t cycle = 28) {
  WriteSettings(run.config, {{"CycleLength", cycle},
                             {"LutealPhase", 14},
                             {"MenstrualDays", 5},
                             {"LastPeriodHigh", static_cast<std::uint32_t>(last >> 32)},
                             {"LastPeriodLow", static_cast<std::uint32_t>(last)}});
}

const std::u16string kHelpText =
    u"Legend:\nRed - Menstrual days\nGreen - Recommend intercourse\n"
    u"Yellow - Recommend to abstain\nBrighter colors indicate peak times\n\n"
    u"Select a date:\nUp - Previous month\nDown - Next month\nLeft - Previous day\n"
    u"Right - Next day\n\nSet last period:\n1. Select date\n2. Go to Options\n"
    u"3. Select Set last period\n\nView day details:\n1. Select date\n2. Press Enter/OK\n";

// Creation selects the fixed "now" and loads the stored last period before the first paint.
TEST(Shell, FirstPaintShowsTodayWithTheStoredCycle) {
  HeadlessRun run;
  StoreLastPeriod(run, Ticks(2024, 5, 1, 9, 30));
  ASSERT_EQ(run.Run("2024-05-20T09:30:00", "shot first\n").exit_code, 0) << run.result.error_output;
  const auto shot = LoadShot(run.out / "first.png");
  ASSERT_TRUE(shot);
  EXPECT_EQ(MayFill(*shot, 20), kDarkBlue);
  EXPECT_EQ(MayFill(*shot, 1), kRed);
  EXPECT_EQ(MayFill(*shot, 2), kDarkRed);
  EXPECT_TRUE(ReadMessageBoxes(run.out).empty());
}

TEST(Shell, CommandsAreRoutedByTheirTable) {
  struct Case {
    const char* script;
    int exit_code;
    bool shot_after;
    std::vector<std::u16string> captions;
  } cases[] = {
      {"shot before\ncommand 40001\nshot after\n", 0, true, {}},
      {"shot before\ncommand 40099\nshot after\n", 0, true, {}},
      {"shot before\ncommand 40002\nshot after\n", 0, false, {}},
      {"shot before\ncommand 40004\nshot after\n", 0, true, {u"Help"}},
  };
  for (const Case& c : cases) {
    HeadlessRun run;
    EXPECT_EQ(run.Run("2024-05-20T09:30:00", c.script).exit_code, c.exit_code) << c.script;
    const auto before = LoadShot(run.out / "before.png");
    const auto after = LoadShot(run.out / "after.png");
    ASSERT_TRUE(before) << c.script;
    EXPECT_EQ(after.has_value(), c.shot_after) << c.script;
    if (after) {
      EXPECT_EQ(before->pixels, after->pixels) << c.script;
    }
    std::vector<std::u16string> captions;
    for (const auto& box : ReadMessageBoxes(run.out)) captions.push_back(box.caption);
    EXPECT_EQ(captions, c.captions) << c.script;
    EXPECT_TRUE(ReadSettings(run.config).empty()) << c.script;
  }
}

TEST(Shell, HelpShowsTheHelpText) {
  HeadlessRun run;
  ASSERT_EQ(run.Run("2024-05-20T09:30:00", "command 40004\n").exit_code, 0);
  const auto boxes = ReadMessageBoxes(run.out);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, u"Help");
  EXPECT_EQ(boxes[0].text, kHelpText);
}

TEST(Shell, EnterAndASecondTapShowTheDayReport) {
  HeadlessRun run;
  StoreLastPeriod(run, Ticks(2024, 5, 1, 9, 30));
  // Enter; a digit (nothing); a tap on day 1 (select), again (report).
  ASSERT_EQ(
      run.Run("2024-05-20T09:30:00", "key 0x0D\nkey 0x35\ntap 120 80\ntap 120 80\n").exit_code, 0);
  const auto boxes = ReadMessageBoxes(run.out);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, u"Monday, May 20, 2024");
  EXPECT_EQ(boxes[0].text.substr(0, 39), u"Non-fertile day\r\nNot likely to conceive");
  EXPECT_EQ(boxes[1].caption, u"Wednesday, May 1, 2024");
  EXPECT_EQ(boxes[1].text.substr(0, 38), u"Critical day\r\nRecommended to abstain\r\n");
}

// "Set last period" after moving the selection; the stored file is read back.
TEST(Shell, SetLastPeriodStoresTheFoldedSettings) {
  struct Case {
    const char* name;
    bool stored;
    std::uint64_t last_period;
    std::uint32_t cycle;
    const char* keys;  // moves from 20 May 2024 09:30
    std::uint64_t expected_last;
    std::int32_t expected_cycle, expected_menstrual, expected_luteal;
  } cases[] = {
      {"none stored", false, {}, 28, "", Ticks(2024, 5, 20, 9, 30), 28, 4, 14},
      {"30 days", true, Ticks(2024, 4, 20, 9, 30), 28, "", Ticks(2024, 5, 20, 9, 30), 29, 4, 14},
      {"same day", true, Ticks(2024, 5, 21, 9, 30), 28, "key 0x28\n", Ticks(2024, 5, 21, 9, 30), 14,
       2, 7},
      {"10 days before", true, Ticks(2024, 5, 30, 9, 30), 28, "", Ticks(2024, 5, 20, 9, 30), 9, 1,
       4},
      {"30 days before, a month back", true, Ticks(2024, 5, 20, 9, 30), 28, "key 0x25\n",
       Ticks(2024, 4, 20, 9, 30), -1, 0, 0},
      {"an hour short of 31 days", true, Ticks(2024, 4, 19, 10, 30), 27, "",
       Ticks(2024, 5, 20, 9, 30), 28, 4, 14},
  };
  for (const Case& c : cases) {
    HeadlessRun run;
    if (c.stored) StoreLastPeriod(run, c.last_period, c.cycle);
    const std::string script = std::string(c.keys) + "command 40003\n";
    ASSERT_EQ(run.Run("2024-05-20T09:30:00", script).exit_code, 0) << c.name;
    const auto stored = ReadSettings(run.config);
    ASSERT_EQ(stored.size(), 5u) << c.name;
    EXPECT_EQ(static_cast<std::int32_t>(stored.at("CycleLength")), c.expected_cycle) << c.name;
    EXPECT_EQ(static_cast<std::int32_t>(stored.at("MenstrualDays")), c.expected_menstrual)
        << c.name;
    EXPECT_EQ(static_cast<std::int32_t>(stored.at("LutealPhase")), c.expected_luteal) << c.name;
    EXPECT_EQ(stored.at("LastPeriodHigh"), static_cast<std::uint32_t>(c.expected_last >> 32))
        << c.name;
    EXPECT_EQ(stored.at("LastPeriodLow"), static_cast<std::uint32_t>(c.expected_last)) << c.name;
    EXPECT_TRUE(ReadMessageBoxes(run.out).empty()) << c.name;
  }
}

// The settings folder is a plain file: the save fails, a box says so, and the new period
// is still shown.
TEST(Shell, AFailedSaveIsShownAndTheNewPeriodKept) {
  HeadlessRun run;
  std::filesystem::create_directories(run.scratch.path());
  cyclune_test::WriteFile(run.scratch.path() / "not-a-folder", "x");
  run.config = run.scratch.path() / "not-a-folder";
  ASSERT_EQ(run.Run("2024-05-20T09:30:00", "command 40003\nshot after\n").exit_code, 0);
  const auto boxes = ReadMessageBoxes(run.out);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, u"Cyclune");
  EXPECT_NE(boxes[0].text.find(u"not-a-folder"), std::u16string::npos);
  const auto shot = LoadShot(run.out / "after.png");
  ASSERT_TRUE(shot);
  EXPECT_EQ(MayFill(*shot, 21), kDarkRed);  // the period recorded on the 20th goes on
}

// Below 7 x 8 pixels there is no cell: taps must not move the month shown afterwards.
TEST(Shell, TinyClientAreasPaintAndIgnoreTaps) {
  for (const char* size : {"0x0", "6x7", "240x7", "6x266"}) {
    HeadlessRun run;
    const char* script = "tap 0 0\ntap 3 3\ntap 239 0\ntap 5 100\nresize 240 266\nshot full\n";
    ASSERT_EQ(run.Run("2024-05-20T09:30:00", script, size).exit_code, 0) << size;
    const auto shot = LoadShot(run.out / "full.png");
    ASSERT_TRUE(shot) << size;
    EXPECT_EQ(MayFill(*shot, 20), kDarkBlue) << size;
    EXPECT_EQ(MayFill(*shot, 19), kWhite) << size;
    EXPECT_TRUE(ReadMessageBoxes(run.out).empty()) << size;
  }
}

// --cues, or CYCLUNE_CUES=1, reaches the headless picture.
TEST(Shell, CuesReachTheHeadlessPicture) {
  unsetenv("CYCLUNE_CUES");  // a profile of the one running the tests must not count
  const struct {
    const char* variable;  // CYCLUNE_CUES; empty says no
    std::vector<std::string> options;
  } runs[] = {{"", {}}, {"", {"--cues"}}, {"1", {}}};
  std::vector<std::vector<Rgb>> shots;
  for (const auto& r : runs) {
    HeadlessRun run;
    StoreLastPeriod(run, Ticks(2024, 5, 1, 9, 0));
    setenv("CYCLUNE_CUES", r.variable, 1);
    run.Run("2024-05-15T09:00:00", "shot month\n", "240x266", r.options);
    unsetenv("CYCLUNE_CUES");
    const auto shot = LoadShot(run.out / "month.png");
    ASSERT_TRUE(shot.has_value()) << run.result.error_output;
    shots.push_back(shot->pixels);
  }
  EXPECT_NE(shots[1], shots[0]) << "--cues";
  EXPECT_EQ(shots[2], shots[1]) << "CYCLUNE_CUES=1";
}

TEST(Shell, BadOptionsEndWithOneLineAndStatusTwo) {
  const std::vector<std::vector<std::string>> cases = {
      {"--headless", "--size", "10x"},
      {"--headless", "--size", "9000x10"},
      {"--headless", "--now", "2024-02-30T00:00:00"},
      {"--headless", "--now", "yesterday"},
      {"--headless", "--now"},
      {"--headless", "--script", "/nonexistent/script.txt"},
  };
  for (const auto& arguments : cases) {
    cyclune_test::ScratchDir scratch;
    const auto result = RunCyclune(arguments, scratch.path() / "config");
    EXPECT_EQ(result.exit_code, 2) << arguments.back();
    EXPECT_EQ(std::count(result.error_output.begin(), result.error_output.end(), '\n'), 1)
        << result.error_output;
  }
}

// With neither a display nor a terminal to run on, the program says so in one line.
TEST(Shell, WithoutAFrontEndItEndsWithOneLineAndStatusOne) {
  cyclune_test::ScratchDir scratch;
  const auto result = RunCyclune({}, scratch.path() / "config");
  EXPECT_EQ(result.exit_code, 1);
  EXPECT_EQ(result.error_output.rfind("cyclune: ", 0), 0u) << result.error_output;
  EXPECT_EQ(std::count(result.error_output.begin(), result.error_output.end(), '\n'), 1)
      << result.error_output;
}

// Asked for a window with no display to show it on, it does not run unseen on a driver
// that draws nowhere (the display libraries may say more before its own last line).
TEST(Shell, AWindowWithoutADisplayIsRefused) {
  cyclune_test::ScratchDir scratch;
  const auto result = RunCyclune({"--window"}, scratch.path() / "config");
  EXPECT_EQ(result.exit_code, 1);
  const std::string& said = result.error_output;
  const std::size_t last = said.rfind('\n', said.size() >= 2 ? said.size() - 2 : 0);
  EXPECT_EQ(said.compare(last == std::string::npos ? 0 : last + 1, std::string::npos,
                         "cyclune: cannot open a window: no display answered\n"),
            0)
      << said;
}

}  // namespace

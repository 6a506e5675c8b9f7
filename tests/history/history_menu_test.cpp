// The menu's "Undo last period" and "History" in a headless run of the real binary: the
// commands of the script by their numbers, the boxes they open, and the two files after them.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/headless_run.h"

namespace {

using cyclune_test::HeadlessRun;
using cyclune_test::ReadMessageBoxes;
using cyclune_test::ReadSettings;

TEST(HistoryMenu, SetUndoAndHistoryFromAScript) {
  HeadlessRun run;
  // 20 May recorded, then 17 June (28 whole days later, as the time of day is the same);
  // the history shown; both undone; a third undo finds nothing; the history shown again.
  std::string script = "command 40003\n";
  for (int day = 0; day < 28; ++day) script += "key 0x28\n";
  script += "command 40003\ncommand 40006\ncommand 40005\ncommand 40005\ncommand 40005\n";
  script += "command 40006\n";
  ASSERT_EQ(run.Run("2024-05-20T09:30:00", script).exit_code, 0) << run.result.error_output;
  const auto boxes = ReadMessageBoxes(run.out);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].caption, u"History");
  EXPECT_EQ(boxes[0].text,
            u"Recorded starts, newest first:\n"
            u"6/17/2024  script\n"
            u"5/20/2024  28 days  script\n"
            u"\n"
            u"Last 1 cycle:\n"
            u"Mean 28.0 days\n"
            u"Shortest 28, longest 28 days\n"
            u"Standard deviation 0.0 days\n"
            u"\n"
            u"\u2588\u2588\u2588\u2588\u2588\u2588\u2588\u2588\u2588\u2588\u2588\u2588 28\n");
  EXPECT_EQ(boxes[1].text,
            u"There is nothing to undo: no period has been recorded since the history began.");
  EXPECT_EQ(boxes[2].text, u"No period has been recorded yet.\n");
  // Back to the initial settings, and no last period.
  const auto settings = ReadSettings(run.config);
  EXPECT_EQ(settings.at("CycleLength"), 28u);
  EXPECT_EQ(settings.at("MenstrualDays"), 5u);
  EXPECT_EQ(settings.at("LastPeriodHigh") + settings.at("LastPeriodLow"), 0u);
}

}  // namespace

namespace {

TEST(HistoryMenu, WithAHistoryItCannotUseSetLastPeriodSavesAloneAndSaysSoOnce) {
  HeadlessRun run;
  const auto folder = run.config / "cyclune";
  std::filesystem::create_directories(folder);
  std::filesystem::create_symlink("/nonexistent/history", folder / "history.sqlite");
  ASSERT_EQ(run.Run("2024-05-20T09:30:00", "command 40003\nkey 0x28\ncommand 40003\n").exit_code,
            0);
  const auto boxes = ReadMessageBoxes(run.out);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text.rfind(u"Cannot use the history ", 0), 0u);
  EXPECT_NE(boxes[0].text.find(u"it is a symbolic link"), std::u16string::npos);
  EXPECT_EQ(ReadSettings(run.config).at("CycleLength"), 14u);  // 28, then an interval of 1
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "history.sqlite"));
}

}  // namespace

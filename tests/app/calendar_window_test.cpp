// The calendar in its window, in-process on a front end of pixel canvases: what opening it
// builds (title, icon, soft-key bar from the resources, today selected, one paint with the
// focus on the selected day), a key that moves the selection asking for one paint, and the
// end through "Exit".
#include "app/calendar_window.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "model/calendar_state.h"
#include "platform/dates/datetime.h"
#include "resources/resources.h"
#include "tests/app/headless_run.h"
#include "tests/platform/pixel_front_end.h"

namespace {

class CalendarWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (scratch_.path() / "config").c_str(), 1);
    FixLocalClock(LocalDateTime{CivilDay(2024, 5, 20), 9, 30, 15, 125});
  }
  void TearDown() override {
    UseRealLocalClock();
    unsetenv("XDG_CONFIG_HOME");
  }
  cyclune_test::ScratchDir scratch_;
  PixelFrontEnd front_end_;
  CalendarState state_;
};

TEST_F(CalendarWindowTest, OpensFromTheResourcesOnTodayAndExitCloses) {
  CalendarWindow calendar(front_end_, state_, CalendarOptions{});
  ASSERT_TRUE(calendar.Open());
  ASSERT_EQ(front_end_.shown, &calendar.window());
  EXPECT_EQ(calendar.window().title(), u"Cyclune");
  ASSERT_EQ(calendar.window().icon(), &CycluneIcon());
  EXPECT_EQ(CycluneIcon().rgb.size(), 32u * 32u * 3u);

  const std::vector<SoftKey> keys = calendar.SoftKeys();
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].label, u"Options");
  EXPECT_EQ(keys[0].command, IDM_OPTIONS);
  EXPECT_EQ(keys[0].menu, (std::vector<std::u16string>{u"Set last period", u"Help",
                                                       u"Undo last period", u"History"}));
  EXPECT_EQ(keys[0].menu_commands, (std::vector<unsigned>{IDM_SET_LAST_PERIOD, IDM_HELP,
                                                          IDM_UNDO_LAST_PERIOD, IDM_HISTORY}));
  EXPECT_EQ(keys[1].label, u"Exit");
  EXPECT_EQ(keys[1].command, IDM_EXIT);
  EXPECT_TRUE(keys[1].menu.empty());

  // Today, the time of day included; painted once while opening, the focus on the 20th's
  // number, in its cell (column 1, row 5 of 34 x 33 cells).
  const LocalDateTime& s = calendar.state().SelectedDate;
  EXPECT_EQ(std::vector<int>({s.date.year(), s.date.month(), s.date.day(), s.hour, s.minute,
                              s.second, s.millisecond}),
            std::vector<int>({2024, 5, 20, 9, 30, 15, 125}));
  EXPECT_FALSE(calendar.Paint());
  ASSERT_TRUE(calendar.window().focus_box());
  const Rect focus = *calendar.window().focus_box();
  EXPECT_TRUE(focus.left >= 34 && focus.right <= 68 && focus.top >= 165 && focus.bottom <= 198)
      << focus.left << "," << focus.top << " " << focus.right << "," << focus.bottom;

  // Down moves the selection: one paint, the focus following.
  calendar.KeyDown(Key::kDown);
  calendar.KeyDown(Key::kDown);
  EXPECT_TRUE(calendar.Paint());
  EXPECT_FALSE(calendar.Paint());
  EXPECT_EQ(calendar.state().SelectedDate.date, CivilDay(2024, 5, 22));
  EXPECT_GE(calendar.window().focus_box()->left, 3 * 34);

  calendar.Command(IDM_EXIT);
  EXPECT_TRUE(calendar.Closed());
  EXPECT_EQ(front_end_.shown, nullptr);
}

}  // namespace

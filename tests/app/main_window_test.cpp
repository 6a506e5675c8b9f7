// Start-up and the main window in-process, without a backend: what InitInstance builds
// (window, soft-key bar from the resources, icon, the selection, the first paint), the
// single-instance rule and the end through "Exit".
#include "app/main_window.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "app/win_main.h"
#include "model/calendar_state.h"
#include "platform/dates/datetime.h"
#include "platform/ui/app_window.h"
#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"
#include "resources/resources.h"
#include "tests/app/headless_run.h"

namespace {

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", (scratch_.path() / "config").c_str(), 1);
    const LocalDateTime now{CivilDay(2024, 5, 20), 9, 30, 15, 125};
    FixLocalClock(now);
    AppState = CalendarState{};
    AppWindow = AppWindowRecord{};
  }
  void TearDown() override {
    while (!LiveWindows().empty()) DestroyWindow(LiveWindows().front().get());
    UseRealLocalClock();
    unsetenv("XDG_CONFIG_HOME");
  }
  cyclune_test::ScratchDir scratch_;
};

// One story: the window class can be registered once per process.
TEST_F(MainWindow, StartsFromTheResourcesKeepsToOneInstanceAndExitsWithZero) {
  ASSERT_TRUE(InitInstance(&CycluneModule, SW_SHOWNORMAL));
  HWND window = AppWindow.MainWindow;
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(AppWindow.Instance, &CycluneModule);
  EXPECT_EQ(WindowTitle(window), u"Cyclune");
  const IconResource* icon = WindowIcon(window);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->id, IDI_APP);
  EXPECT_EQ(icon->rgb.size(), 32u * 32u * 3u);

  const std::vector<SoftKey> keys = CycluneSoftKeys();
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

  // Today, the time of day included; painted once while being shown.
  const LocalDateTime& s = AppState.SelectedDate;
  EXPECT_EQ(std::vector<int>({s.date.year(), s.date.month(), s.date.day(), s.date.weekday(), s.hour,
                              s.minute, s.second, s.millisecond}),
            std::vector<int>({2024, 5, 20, 1, 9, 30, 15, 125}));
  EXPECT_FALSE(PaintPending(window));
  Rect focus{};
  EXPECT_TRUE(CaretOf(window, &focus)) << "the caret is on the selected day";

  // A second start finds the window and creates nothing.
  const std::size_t windows = LiveWindows().size();
  EXPECT_FALSE(InitInstance(&CycluneModule, SW_SHOWNORMAL));
  EXPECT_EQ(LiveWindows().size(), windows);
  EXPECT_EQ(AppWindow.MainWindow, window);

  // "Exit" destroys the window.
  EXPECT_EQ(SendMessageW(window, WM_COMMAND, IDM_EXIT, 0), 0);
  EXPECT_FALSE(IsLiveWindow(window));
}

}  // namespace

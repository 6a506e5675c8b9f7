// Keys and taps on the month view, in-process: each case sets AppState, calls the handler
// on a plain window and checks SelectedDate, whether a repaint was requested and whether
// the day report was shown (message boxes are counted by a recording backend).
#include "view/navigation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/calendar.h"
#include "model/calendar_state.h"
#include "platform/ui/app_window.h"
#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

namespace {

struct Date {
  std::int32_t year, month, day, weekday;
};

LocalDateTime At(Date d) { return LocalDateTime{CivilDay(d.year, d.month, d.day), 9, 41, 17, 250}; }

std::string Show(const LocalDateTime& t) {
  return std::to_string(t.date.day()) + "." + std::to_string(t.date.month()) + "." +
         std::to_string(t.date.year()) + " (" + std::to_string(t.date.weekday()) + ") " +
         std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second) +
         "." + std::to_string(t.millisecond);
}

int* g_boxes = nullptr;

void CountBox(std::u16string_view, std::u16string_view) { ++*g_boxes; }

// Counts the message boxes opened while it is installed.
class CountingBackend : public WindowBackend {
 public:
  explicit CountingBackend(int* boxes) {
    g_boxes = boxes;
    SetMessageBoxSink(CountBox);
  }
  ~CountingBackend() override { SetMessageBoxSink(nullptr); }
  CountingBackend(const CountingBackend&) = delete;
  CountingBackend& operator=(const CountingBackend&) = delete;
};

LRESULT PlainProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

class Navigation : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallWindowBackend(std::make_unique<CountingBackend>(&boxes_));
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = PlainProcedure;
    window_class.lpszClassName = u"NavigationTest";
    RegisterClassW(&window_class);
    window_ = CreateWindowExW(0, u"NavigationTest", u"", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    AppState = CalendarState{};
    AppWindow = AppWindowRecord{};
    // The report's box has no owner here, so the window system's repaint of an owner
    // uncovered by a box cannot hide whether the handler itself asked for one.
    AppWindow.MainWindow = nullptr;
    AppWindow.CellWidth = 34;  // a 240 x 266 client area
    AppWindow.CellHeight = 33;
  }
  void TearDown() override {
    DestroyWindow(window_);
    InstallWindowBackend(nullptr);
  }
  // Selects `date`, forgets earlier repaint requests and boxes.
  void Start(const LocalDateTime& date) {
    AppState.SelectedDate = date;
    ValidateWindow(window_);
    boxes_ = 0;
  }
  bool RepaintRequested() const { return window_->shown->paint_due(); }

  HWND window_ = nullptr;
  int boxes_ = 0;
};

TEST(MonthSteps, ClampTheDayAndNameTheWeekday) {
  struct Case {
    Date from;
    bool forward;
    Date expected;
  } cases[] = {
      {{2024, 1, 31, 3}, true, {2024, 2, 29, 4}},
      {{2023, 1, 31, 2}, true, {2023, 2, 28, 2}},
      {{2023, 3, 31, 5}, false, {2023, 2, 28, 2}},
      {{2024, 3, 31, 0}, false, {2024, 2, 29, 4}},
      {{2025, 1, 15, 3}, false, {2024, 12, 15, 0}},
      {{2024, 12, 15, 0}, true, {2025, 1, 15, 3}},
      {{2024, 5, 31, 5}, true, {2024, 6, 30, 0}},
      {{65535, 12, 31, 5}, true, {0, 1, 31, 1}},  // the 16-bit year wraps
      {{0, 1, 1, 6}, false, {65535, 12, 1, 0}},
  };
  for (const Case& c : cases) {
    const LocalDateTime from = At(c.from);
    const LocalDateTime got = c.forward ? NextMonth(from) : PreviousMonth(from);
    EXPECT_EQ(Show(got), Show(At(c.expected))) << Show(from) << (c.forward ? " next" : " previous");
  }
}

TEST_F(Navigation, KeysStepTheSelection) {
  struct Case {
    Date from;
    Key key;
    Date expected;
    bool repaint;
  } cases[] = {
      {{2024, 1, 31, 3}, Key::kRight, {2024, 2, 29, 4}, true},
      {{2023, 3, 31, 5}, Key::kLeft, {2023, 2, 28, 2}, true},
      {{2025, 1, 15, 3}, Key::kLeft, {2024, 12, 15, 0}, true},
      {{2024, 12, 15, 0}, Key::kRight, {2025, 1, 15, 3}, true},
      {{2024, 3, 1, 5}, Key::kUp, {2024, 2, 29, 4}, true},
      {{2023, 3, 1, 3}, Key::kUp, {2023, 2, 28, 2}, true},
      {{2025, 1, 1, 3}, Key::kUp, {2024, 12, 31, 2}, true},
      {{2023, 2, 28, 2}, Key::kDown, {2023, 3, 1, 3}, true},
      {{2024, 2, 28, 3}, Key::kDown, {2024, 2, 29, 4}, true},
      {{2024, 12, 31, 2}, Key::kDown, {2025, 1, 1, 3}, true},
      {{2024, 5, 15, 3}, KeyOfCharacter(U'5'), {2024, 5, 15, 3}, false},
      {{2024, 5, 15, 3}, Key::kEscape, {2024, 5, 15, 3}, false},
  };
  for (const Case& c : cases) {
    Start(At(c.from));
    EXPECT_EQ(HandleKey(window_, c.key), 0);
    EXPECT_EQ(Show(AppState.SelectedDate), Show(At(c.expected)))
        << "key " << static_cast<int>(c.key);
    EXPECT_EQ(RepaintRequested(), c.repaint) << "key " << static_cast<int>(c.key);
    EXPECT_EQ(boxes_, 0) << "key " << static_cast<int>(c.key);
  }
}

TEST_F(Navigation, EnterShowsTheReportAndChangesNothing) {
  AppState.LastPeriodKnown = 0;
  Start(At({2024, 5, 15, 3}));
  EXPECT_EQ(HandleKey(window_, Key::kEnter), 0);
  EXPECT_EQ(boxes_, 1);
  EXPECT_FALSE(RepaintRequested());
  EXPECT_EQ(Show(AppState.SelectedDate), Show(At({2024, 5, 15, 3})));
}

// Cell 34 x 33; 1 May 2024 is a Wednesday, so day 1 spans x 102..136, y 66..99.
TEST_F(Navigation, TapsHitTheirTargetsInOrder) {
  struct Case {
    Date from;
    WORD x, y;
    Date expected;
    bool repaint;
    int boxes;
  } cases[] = {
      {{2024, 5, 15, 3}, 34, 33, {2024, 4, 15, 1}, true, 0},  // "<", corner inclusive
      {{2024, 5, 15, 3}, 0, 0, {2024, 4, 15, 1}, true, 0},
      {{2024, 5, 15, 3}, 204, 0, {2024, 6, 15, 6}, true, 0},   // ">"
      {{2024, 5, 15, 3}, 239, 20, {2024, 6, 15, 6}, true, 0},  // strip right of the grid
      {{2024, 5, 15, 3}, 65535, 33, {2024, 6, 15, 6}, true, 0},
      {{2024, 5, 15, 3}, 35, 10, {2024, 5, 15, 3}, false, 0},    // title
      {{2024, 5, 15, 3}, 100, 50, {2024, 5, 15, 3}, false, 0},   // weekday row
      {{2024, 5, 15, 3}, 120, 265, {2024, 5, 15, 3}, false, 0},  // below the day rows
      {{2024, 5, 15, 3}, 120, 80, {2024, 5, 1, 3}, true, 0},
      {{2024, 5, 15, 3}, 136, 80, {2024, 5, 1, 3}, true, 0},  // line between 1 and 2
      {{2024, 5, 15, 3}, 120, 99, {2024, 5, 1, 3}, true, 0},  // line between 1 and 8
      {{2024, 5, 15, 3}, 137, 100, {2024, 5, 9, 4}, true, 0},
      {{2024, 5, 15, 3}, 50, 80, {2024, 5, 15, 3}, false, 0},    // before the 1st
      {{2024, 5, 15, 3}, 220, 210, {2024, 5, 15, 3}, false, 0},  // after the 31st
      {{2024, 5, 1, 3}, 120, 80, {2024, 5, 1, 3}, false, 1},     // selected again: report
      {{2024, 3, 15, 5}, 10, 250, {2024, 3, 31, 0}, true, 0},
      {{2024, 3, 15, 5}, 10, 264, {2024, 3, 31, 0}, true, 0},
      {{2024, 3, 15, 5}, 10, 265, {2024, 3, 15, 5}, false, 0},
      {{2024, 3, 15, 5}, 238, 70, {2024, 3, 2, 6}, true, 0},
      {{2024, 3, 15, 5}, 239, 70, {2024, 3, 15, 5}, false, 0},
  };
  for (const Case& c : cases) {
    Start(At(c.from));
    EXPECT_EQ(HandleTap(window_, MAKELPARAM(c.x, c.y)), 0);
    const std::string where = "tap " + std::to_string(c.x) + "," + std::to_string(c.y);
    EXPECT_EQ(Show(AppState.SelectedDate), Show(At(c.expected))) << where;
    EXPECT_EQ(RepaintRequested(), c.repaint) << where;
    EXPECT_EQ(boxes_, c.boxes) << where;
  }
}

TEST_F(Navigation, AfterAMonthStepATapSelectsTheDayDrawnThere) {
  Start(At({2024, 5, 15, 3}));
  HandleTap(window_, MAKELPARAM(220, 10));  // June 2024 begins on a Saturday, column 6
  const std::int32_t first = DayOfWeek(1, 6, 2024);
  ASSERT_EQ(first, 6);
  HandleTap(window_, MAKELPARAM(6 * 34 + 5, 2 * 33 + 5));
  EXPECT_EQ(Show(AppState.SelectedDate), Show(At({2024, 6, 1, 6})));
  HandleTap(window_, MAKELPARAM(0 * 34 + 5, 3 * 33 + 5));
  EXPECT_EQ(Show(AppState.SelectedDate), Show(At({2024, 6, 2, 0})));
}

// A client area below 7 x 8 pixels leaves a cell width or height of 0; then every region
// would collapse onto the origin, so no tap may change anything.
TEST_F(Navigation, TapsDoNothingWithoutACellSize) {
  struct Case {
    std::int32_t width, height;
  } sizes[] = {{0, 0}, {0, 33}, {34, 0}};
  for (const Case& size : sizes) {
    AppWindow.CellWidth = size.width;
    AppWindow.CellHeight = size.height;
    for (const auto& [x, y] : {std::pair<WORD, WORD>{0, 0}, {5, 0}, {0, 100}, {200, 200}}) {
      Start(At({2024, 5, 15, 3}));
      HandleTap(window_, MAKELPARAM(x, y));
      EXPECT_EQ(Show(AppState.SelectedDate), Show(At({2024, 5, 15, 3})))
          << size.width << "x" << size.height << " at " << x << "," << y;
      EXPECT_FALSE(RepaintRequested());
      EXPECT_EQ(boxes_, 0);
    }
    EXPECT_EQ(DayAtPoint(0, 0), 0);
  }
}

TEST_F(Navigation, DayAtPointPrefersTheEarlierDayOnSharedEdges) {
  AppState.SelectedDate = At({2024, 5, 15, 3});
  struct Case {
    std::int32_t x, y, day;
  } cases[] = {
      {102, 66, 1}, {136, 99, 1},   {137, 99, 2},  {136, 100, 8},  {0, 99, 5},
      {0, 100, 5},  {34, 100, 5},   {35, 100, 6},  {171, 231, 31}, {171, 232, 0},
      {101, 66, 0}, {238, 132, 11}, {239, 133, 0}, {102, 265, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayAtPoint(c.x, c.y), c.day) << c.x << "," << c.y;
  }
}

// The weekday a date carries may be stale (calendar steps leave it as it was); the tap takes
// the day drawn at the point, whose column comes from the date itself.
TEST_F(Navigation, ATapIgnoresAStaleStoredWeekday) {
  for (const WORD stale : {WORD{0}, WORD{3}, WORD{6}}) {
    AppState.SelectedDate = At({2024, 5, 15, stale});
    EXPECT_EQ(DayAtPoint(3 * 34 + 5, 2 * 33 + 5), 1) << stale;  // May 2024 begins on a Wednesday
    EXPECT_EQ(DayAtPoint(5 * 34 + 5, 6 * 33 + 5), 31) << stale;
  }
}

}  // namespace

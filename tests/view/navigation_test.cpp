// Keys and taps on the month view, in-process: each case sets the state, calls the handler
// and checks SelectedDate, whether a repaint is due and whether the day report was shown
// (message boxes are counted where they would open).
#include "view/navigation.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/calendar.h"
#include "model/calendar_state.h"
#include "platform/ui/front_end.h"

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

class Navigation : public ::testing::Test {
 protected:
  void SetUp() override {
    g_boxes = &boxes_;
    SetMessageBoxSink(CountBox);
    painted_.cell_width = 34;  // a 240 x 266 client area
    painted_.cell_height = 33;
  }
  void TearDown() override { SetMessageBoxSink(nullptr); }
  // Selects `date`, forgets earlier boxes.
  void Start(const LocalDateTime& date) {
    state_.SelectedDate = date;
    boxes_ = 0;
  }

  CalendarState state_;
  MonthPaint painted_;
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
    EXPECT_EQ(HandleKey(state_, c.key), c.repaint) << "key " << static_cast<int>(c.key);
    EXPECT_EQ(Show(state_.SelectedDate), Show(At(c.expected))) << "key " << static_cast<int>(c.key);
    EXPECT_EQ(boxes_, 0) << "key " << static_cast<int>(c.key);
  }
}

TEST_F(Navigation, EnterShowsTheReportAndChangesNothing) {
  state_.LastPeriodKnown = 0;
  Start(At({2024, 5, 15, 3}));
  EXPECT_FALSE(HandleKey(state_, Key::kEnter));
  EXPECT_EQ(boxes_, 1);
  EXPECT_EQ(Show(state_.SelectedDate), Show(At({2024, 5, 15, 3})));
}

// Cell 34 x 33; 1 May 2024 is a Wednesday, so day 1 spans x 102..136, y 66..99.
TEST_F(Navigation, TapsHitTheirTargetsInOrder) {
  struct Case {
    Date from;
    std::int32_t x, y;
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
    const std::string where = "tap " + std::to_string(c.x) + "," + std::to_string(c.y);
    EXPECT_EQ(HandleTap(state_, painted_, c.x, c.y), c.repaint) << where;
    EXPECT_EQ(Show(state_.SelectedDate), Show(At(c.expected))) << where;
    EXPECT_EQ(boxes_, c.boxes) << where;
  }
}

TEST_F(Navigation, AfterAMonthStepATapSelectsTheDayDrawnThere) {
  Start(At({2024, 5, 15, 3}));
  HandleTap(state_, painted_, 220, 10);  // June 2024 begins on a Saturday, column 6
  const std::int32_t first = DayOfWeek(1, 6, 2024);
  ASSERT_EQ(first, 6);
  HandleTap(state_, painted_, 6 * 34 + 5, 2 * 33 + 5);
  EXPECT_EQ(Show(state_.SelectedDate), Show(At({2024, 6, 1, 6})));
  HandleTap(state_, painted_, 0 * 34 + 5, 3 * 33 + 5);
  EXPECT_EQ(Show(state_.SelectedDate), Show(At({2024, 6, 2, 0})));
}

// A client area below 7 x 8 pixels leaves a cell width or height of 0; then every region
// would collapse onto the origin, so no tap may change anything.
TEST_F(Navigation, TapsDoNothingWithoutACellSize) {
  struct Case {
    std::int32_t width, height;
  } sizes[] = {{0, 0}, {0, 33}, {34, 0}};
  for (const Case& size : sizes) {
    painted_.cell_width = size.width;
    painted_.cell_height = size.height;
    for (const auto& [x, y] : {std::pair{0, 0}, {5, 0}, {0, 100}, {200, 200}}) {
      Start(At({2024, 5, 15, 3}));
      EXPECT_FALSE(HandleTap(state_, painted_, x, y));
      EXPECT_EQ(Show(state_.SelectedDate), Show(At({2024, 5, 15, 3})))
          << size.width << "x" << size.height << " at " << x << "," << y;
      EXPECT_EQ(boxes_, 0);
    }
    EXPECT_EQ(DayAtPoint(state_, painted_, 0, 0), 0);
  }
}

TEST_F(Navigation, DayAtPointPrefersTheEarlierDayOnSharedEdges) {
  state_.SelectedDate = At({2024, 5, 15, 3});
  struct Case {
    std::int32_t x, y, day;
  } cases[] = {
      {102, 66, 1}, {136, 99, 1},   {137, 99, 2},  {136, 100, 8},  {0, 99, 5},
      {0, 100, 5},  {34, 100, 5},   {35, 100, 6},  {171, 231, 31}, {171, 232, 0},
      {101, 66, 0}, {238, 132, 11}, {239, 133, 0}, {102, 265, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DayAtPoint(state_, painted_, c.x, c.y), c.day) << c.x << "," << c.y;
  }
}

// The weekday a date carries may be stale (calendar steps leave it as it was); the tap takes
// the day drawn at the point, whose column comes from the date itself.
TEST_F(Navigation, ATapIgnoresAStaleStoredWeekday) {
  for (const std::int32_t stale : {0, 3, 6}) {
    state_.SelectedDate = At({2024, 5, 15, stale});
    EXPECT_EQ(DayAtPoint(state_, painted_, 3 * 34 + 5, 2 * 33 + 5), 1)
        << stale;  // May 2024 begins on a Wednesday
    EXPECT_EQ(DayAtPoint(state_, painted_, 5 * 34 + 5, 6 * 33 + 5), 31) << stale;
  }
}

}  // namespace

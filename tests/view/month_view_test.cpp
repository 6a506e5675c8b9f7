// The painted month view, in-process: PaintMonth on a pixel screen, its pixels read
// back. Cells are sampled at their top-left inner pixel, away from the centred text; text is
// checked by counting pixels of its colour inside the cell.
#include "view/month_view.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/calendar_state.h"
#include "platform/canvas/canvas.h"
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/dates/dateformat.h"
#include "platform/dates/datetime.h"

namespace {

LocalDateTime Day(std::int32_t year, std::int32_t month, std::int32_t day) {
  LocalDateTime t{CivilDay(year, month, day), 9};
  return t;
}

std::string Hex(Rgb c) {
  char text[16];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red, c.green, c.blue);
  return text;
}

class MonthView : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LC_ALL", "en_US.UTF-8", 1);
    ResetDateFormatLocale();
    state_.SelectedDate = Day(2024, 5, 20);
  }

  // A black screen of the given size with the month painted over it.
  void Paint(int width, int height) {
    screen_ = MakePixelCanvas(width, height);
    ASSERT_NE(screen_, nullptr);
    screen_->Fill(Rect{0, 0, width, height}, kBlack);
    painted_ = PaintMonth(*screen_, state_);
  }
  Rgb Pixel(int x, int y) const { return PixelAt(*screen_, x, y).value(); }
  Rgb CellFill(int column, int row) const {
    return Pixel(column * painted_.cell_width + 1, row * painted_.cell_height + 1);
  }
  int CountInCell(int column, int row, Rgb colour) const {
    int count = 0;
    for (int y = row * painted_.cell_height; y < (row + 1) * painted_.cell_height; ++y) {
      for (int x = column * painted_.cell_width; x < (column + 1) * painted_.cell_width; ++x) {
        count += Pixel(x, y) == colour ? 1 : 0;
      }
    }
    return count;
  }

  CalendarState state_;
  std::unique_ptr<Canvas> screen_;
  MonthPaint painted_;
};

// The column and row of a day of May 2024, whose 1st is a Wednesday.
std::pair<int, int> MayCell(int day) { return {(3 + day - 1) % 7, 2 + (3 + day - 1) / 7}; }

TEST_F(MonthView, LaysOutTheGridFromTheClientSize) {
  Paint(240, 266);
  EXPECT_EQ(painted_.cell_width, 34);
  EXPECT_EQ(painted_.cell_height, 33);
  for (int column = 0; column < 7; ++column) {
    const int x = column * 34 + 1;
    EXPECT_EQ(Hex(Pixel(x, 32)), Hex(kWhite)) << column;  // title row
    EXPECT_EQ(Hex(Pixel(x, 33)), Hex(kBlue)) << column;
    EXPECT_EQ(Hex(Pixel(x, 64)), Hex(kBlue)) << column;
    EXPECT_EQ(Hex(Pixel(x, 65)), Hex(kWhite)) << column;  // the line under the weekdays
    EXPECT_GT(CountInCell(column, 1, kWhite), 0) << "initial of weekday " << column;
  }
  for (int y : {0, 100, 265}) {
    EXPECT_EQ(Hex(Pixel(238, y)), Hex(kWhite)) << y;  // strip right of the grid
    EXPECT_EQ(Hex(Pixel(239, y)), Hex(kWhite)) << y;
  }
  for (int x : {0, 120, 237}) {
    EXPECT_EQ(Hex(Pixel(x, 264)), Hex(kWhite)) << x;  // strip below it
    EXPECT_EQ(Hex(Pixel(x, 265)), Hex(kWhite)) << x;
  }
  EXPECT_GT(CountInCell(0, 0, kBlack), 0) << "<";
  EXPECT_GT(CountInCell(6, 0, kBlack), 0) << ">";
  EXPECT_GT(CountInCell(3, 0, kBlack), 0) << "title";
}

TEST_F(MonthView, ColoursEachDayByTheFirstRuleThatHolds) {
  struct Case {
    const char* name;
    bool known;
    std::int32_t menstrual_days;
    std::int32_t selected_day;
    int day;
    Rgb fill;
    Rgb text;
  } cases[] = {
      {"selected", true, 5, 20, 20, kDarkBlue, kWhite},
      {"selected first period day", true, 5, 1, 1, kDarkBlue, kWhite},
      {"first period day", true, 5, 20, 1, kRed, kYellow},
      {"period day", true, 5, 20, 2, kDarkRed, kYellow},
      {"next period begins", true, 5, 20, 29, kRed, kYellow},
      {"ovulation day", true, 5, 20, 15, kGreen, kYellow},
      {"fertile day", true, 5, 20, 12, kDarkGreen, kYellow},
      {"fertile day after ovulation", true, 5, 20, 16, kDarkGreen, kYellow},
      {"plain day", true, 5, 20, 8, kWhite, kBlack},
      {"ovulation within the period", true, 20, 20, 15, kDarkRed, kYellow},
      {"no last period", false, 5, 20, 1, kWhite, kBlack},
      {"no last period, fertile", false, 5, 20, 15, kWhite, kBlack},
  };
  for (const Case& c : cases) {
    state_.LastPeriodKnown = c.known ? 1 : 0;
    state_.LastPeriod = Day(2024, 5, 1);
    state_.MenstrualDays = c.menstrual_days;
    state_.SelectedDate = Day(2024, 5, c.selected_day);
    Paint(240, 266);
    const auto [column, row] = MayCell(c.day);
    EXPECT_EQ(Hex(CellFill(column, row)), Hex(c.fill)) << c.name;
    EXPECT_GT(CountInCell(column, row, c.text), 0) << c.name << ": text colour";
  }
}

TEST_F(MonthView, PlacesTheFirstInTheColumnOfItsWeekday) {
  struct Case {
    LocalDateTime selected;
    int column, row;
  } cases[] = {
      {Day(2025, 3, 1), 6, 2},  // a 31-day month beginning on a Saturday
      {Day(2025, 3, 2), 0, 3},  {Day(2025, 3, 30), 0, 7},
      {Day(2025, 3, 31), 1, 7}, {Day(2026, 2, 1), 0, 2},  // a 28-day month beginning on a Sunday
      {Day(2026, 2, 28), 6, 5},
  };
  for (const Case& c : cases) {
    state_.SelectedDate = c.selected;
    Paint(240, 266);
    EXPECT_EQ(Hex(CellFill(c.column, c.row)), Hex(kDarkBlue))
        << c.selected.date.day() << "." << c.selected.date.month();
  }
  state_.SelectedDate = Day(2026, 2, 10);  // rows 6 and 7 stay empty
  Paint(240, 266);
  for (int column = 0; column < 7; ++column) {
    EXPECT_EQ(CountInCell(column, 6, kWhite) + CountInCell(column, 7, kWhite), 2 * 34 * 33);
    EXPECT_GT(CountInCell(column, 5, kBlack), 0);
  }
}

// Any size paints without fault, a client area too small for a cell included.
TEST_F(MonthView, PaintsAnySize) {
  struct Case {
    int width, height, cell_width, cell_height;
  } cases[] = {{0, 0, 0, 0}, {6, 7, 0, 0},       {7, 7, 1, 0},          {6, 8, 0, 1},
               {7, 8, 1, 1}, {240, 266, 34, 33}, {1920, 1080, 274, 135}};
  state_.LastPeriodKnown = 1;
  state_.LastPeriod = Day(2024, 5, 1);
  for (const Case& c : cases) {
    Paint(c.width, c.height);
    EXPECT_EQ(painted_.cell_width, c.cell_width) << c.width << "x" << c.height;
    EXPECT_EQ(painted_.cell_height, c.cell_height) << c.width << "x" << c.height;
  }
}

}  // namespace

// The marks that tell a day's class by shape: the four shapes stay apart at every size, the
// square keeps clear of the number, and a month painted with marks differs from one painted
// without only by a mark of its own class on each menstrual and fertile day.
#include "view/day_marks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/calendar_state.h"
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/dates/dateformat.h"
#include "view/month_view.h"

namespace {

using Pixels = std::set<std::pair<int, int>>;

TEST(DayMarks, ShapesStayApartAndSpanTheirSquareAtEverySize) {
  for (int side = kMinMarkSide; side <= 61; side += 2) {
    std::set<Pixels> seen;
    for (const MarkShape shape :
         {MarkShape::kTriangle, MarkShape::kDot, MarkShape::kDiamond, MarkShape::kRing}) {
      Pixels pixels;
      int right = -1, bottom = -1;
      for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
          if (!InMarkShape(shape, x, y, side)) continue;
          pixels.insert({x, y});
          right = std::max(right, x);
          bottom = std::max(bottom, y);
          EXPECT_TRUE(InMarkShape(shape, side - 1 - x, y, side)) << side << ": not symmetric";
        }
      }
      EXPECT_TRUE(seen.insert(pixels).second) << side << ": shapes alike";
      EXPECT_EQ(std::make_pair(right, bottom), std::make_pair(side - 1, side - 1)) << side;
    }
    EXPECT_FALSE(InMarkShape(MarkShape::kRing, side / 2, side / 2, side)) << "a ring has a hole";
  }
}

TEST(DayMarks, SquareSitsInTheTopRightCornerClearOfTheNumber) {
  const struct {
    Rect cell, ink, square;
  } cases[] = {
      {{0, 0, 68, 66}, {15, 19, 53, 45}, {51, 2, 66, 17}},  // two digits: above them
      {{0, 0, 68, 66}, {26, 19, 42, 45}, {51, 2, 66, 17}},  // one: beside it, a quarter
      {{0, 0, 68, 66}, {15, 18, 53, 45}, {53, 2, 66, 15}},  // even room made odd
      {{136, 198, 204, 264}, {151, 217, 189, 243}, {187, 200, 202, 215}},
      {{0, 0, 274, 135}, {115, 40, 159, 95}, {237, 4, 270, 37}},  // a wide cell
      {{0, 0, 34, 33}, {2, 3, 31, 30}, {33, 1, 33, 1}},           // no room: left out
      {{0, 0, 8, 8}, {2, 2, 6, 6}, {7, 1, 7, 1}},                 // a tiny cell
  };
  for (const auto& c : cases) {
    const Rect square = MarkSquare(c.cell, c.ink);
    EXPECT_EQ(std::make_tuple(square.left, square.top, square.right, square.bottom),
              std::make_tuple(c.square.left, c.square.top, c.square.right, c.square.bottom))
        << c.cell.right << "x" << c.cell.bottom;
  }
}

// Paints the state's month on a white screen with the marks on or off; the pixels, row by row.
std::vector<Rgb> PaintMay(CalendarState state, int width, int height, bool marks,
                          MonthPaint* painted) {
  std::unique_ptr<Canvas> screen = MakePixelCanvas(width, height);
  screen->Fill(Rect{0, 0, width, height}, kWhite);
  state.DayMarks = marks ? 1 : 0;
  *painted = PaintMonth(*screen, state);
  std::vector<Rgb> pixels;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels.push_back(PixelAt(*screen, x, y).value());
  }
  return pixels;
}

// The pixels moved to the top left corner of their bounding box: the shape, wherever it is.
Pixels Normalized(const Pixels& pixels) {
  int left = INT_MAX, top = INT_MAX;
  for (const auto& [x, y] : pixels) {
    left = std::min(left, x);
    top = std::min(top, y);
  }
  Pixels shape;
  for (const auto& [x, y] : pixels) shape.insert({x - left, y - top});
  return shape;
}

// Last period 1 May, the 20th selected: periods from the 1st and the 29th, the fertile days
// 12 to 16, the most fertile the 15th.
TEST(DayMarks, OnlyMenstrualAndFertileDaysGainTheirOwnMark) {
  setenv("LC_ALL", "en_US.UTF-8", 1);
  ResetDateFormatLocale();
  CalendarState state;
  state.SelectedDate = LocalDateTime{CivilDay(2024, 5, 20), 9};
  state.LastPeriod = LocalDateTime{CivilDay(2024, 5, 1), 9};
  state.LastPeriodKnown = 1;
  for (const auto& [width, height] : {std::pair{240, 266}, {480, 532}, {1400, 400}, {350, 1200}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    MonthPaint painted;
    const std::vector<Rgb> plain = PaintMay(state, width, height, false, &painted);
    const std::vector<Rgb> marked = PaintMay(state, width, height, true, &painted);
    std::map<int, Pixels> changed;  // by day, in the cell's own coordinates
    for (std::size_t at = 0; at < plain.size(); ++at) {
      if (plain[at] == marked[at]) continue;
      const int x = static_cast<int>(at) % width, y = static_cast<int>(at) / width;
      const int column = x / painted.cell_width, row = y / painted.cell_height;
      const int day = (row - 2) * 7 + column - 3 + 1;  // the 1st is a Wednesday, in row 2
      ASSERT_TRUE(row >= 2 && column < 7 && day >= 1 && day <= 31) << x << "," << y;
      const DayClass day_class = ClassifyDay(state, day, 20);
      ASSERT_EQ(plain[at], ColoursOf(day_class).fill) << "covers the number of " << day;
      ASSERT_EQ(marked[at], MarkOf(day_class).colour) << day;
      changed[day].insert({x % painted.cell_width, y % painted.cell_height});
    }
    std::map<DayClass, Pixels> mark_of_class;
    for (int day = 1; day <= 31; ++day) {
      const DayClass day_class = ClassifyDay(state, day, 20);
      const bool has_mark = MarkOf(day_class).shape != MarkShape::kNone;
      EXPECT_EQ(changed.count(day), has_mark ? 1u : 0u) << "day " << day;
      if (has_mark) mark_of_class.emplace(day_class, Normalized(changed[day]));
    }
    std::set<Pixels> distinct;
    for (const auto& [day_class, pixels] : mark_of_class) distinct.insert(pixels);
    EXPECT_EQ(distinct.size(), 4u) << "each of the four classes has a mark of its own";
  }
}

}  // namespace

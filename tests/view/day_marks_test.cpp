// The marks that tell a day's class by shape: the four shapes stay apart at every size, the
// square keeps clear of the number, and a month painted with marks differs from one painted
// without only by a mark of its own class on each menstrual and fertile day.
#include "view/day_marks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "model/app_state.h"
#include "platform/canvas.h"
#include "platform/dateformat.h"
#include "platform/datetime.h"
#include "platform/window_backend.h"
#include "platform/window_internal.h"
#include "view/day_class.h"
#include "view/month_layout.h"
#include "view/month_view.h"

namespace {

constexpr MarkShape kShapes[] = {MarkShape::kTriangle, MarkShape::kDot, MarkShape::kDiamond,
                                 MarkShape::kRing};

using Pixels = std::set<std::pair<int, int>>;

Pixels ShapePixels(MarkShape shape, int side) {
  Pixels pixels;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      if (InMarkShape(shape, x, y, side)) pixels.insert({x, y});
    }
  }
  return pixels;
}

TEST(DayMarks, ShapesStayApartAndFillTheirSquareAtEverySize) {
  for (int side = kMinMarkSide; side <= 61; side += 2) {
    SCOPED_TRACE(side);
    std::set<Pixels> seen;
    for (const MarkShape shape : kShapes) {
      const Pixels pixels = ShapePixels(shape, side);
      EXPECT_TRUE(seen.insert(pixels).second) << "shape " << static_cast<int>(shape);
      int left = side, right = -1, top = side, bottom = -1;
      for (const auto& [x, y] : pixels) {
        EXPECT_TRUE(pixels.count({side - 1 - x, y})) << "mirror of " << x << "," << y;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
      EXPECT_EQ(std::make_tuple(left, right, top, bottom),
                std::make_tuple(0, side - 1, 0, side - 1))
          << "shape " << static_cast<int>(shape) << " spans its square";
    }
    const int middle = side / 2;
    EXPECT_TRUE(InMarkShape(MarkShape::kDot, middle, middle, side));
    EXPECT_FALSE(InMarkShape(MarkShape::kRing, middle, middle, side)) << "the ring has a hole";
    EXPECT_TRUE(ShapePixels(MarkShape::kNone, side).empty());
  }
}

TEST(DayMarks, SquareSitsInTheTopRightCornerClearOfTheNumber) {
  const struct {
    const char* what;
    RECT cell;
    RECT ink;
    RECT square;
  } cases[] = {
      {"two digits: above them", {0, 0, 68, 66}, {15, 19, 53, 45}, {51, 2, 66, 17}},
      {"one digit: beside it, a quarter of the cell", {0, 0, 68, 66}, {26, 19, 42, 45},
       {51, 2, 66, 17}},
      {"even room is made odd", {0, 0, 68, 66}, {15, 18, 53, 45}, {53, 2, 66, 15}},
      {"the cell's place is kept", {136, 198, 204, 264}, {151, 217, 189, 243},
       {187, 200, 202, 215}},
      {"a wide cell: a quarter of its height", {0, 0, 274, 135}, {115, 40, 159, 95},
       {237, 4, 270, 37}},
      {"the original screen", {0, 0, 34, 33}, {7, 10, 27, 24}, {26, 1, 33, 8}},
      {"no room: left out", {0, 0, 34, 33}, {2, 3, 31, 30}, {33, 1, 33, 1}},
      {"a tiny cell: left out", {0, 0, 8, 8}, {2, 2, 6, 6}, {7, 1, 7, 1}},
      {"no cell at all", {0, 0, 0, 0}, {0, 0, 0, 0}, {-1, 1, -1, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const RECT square = MarkSquare(c.cell, c.ink);
    EXPECT_EQ(std::make_tuple(square.left, square.top, square.right, square.bottom),
              std::make_tuple(c.square.left, c.square.top, c.square.right, c.square.bottom));
    if (square.right > square.left) {
      const bool clear = square.left > c.ink.right || square.bottom < c.ink.top;
      EXPECT_TRUE(clear) << "a gap of at least a pixel from the number";
    }
  }
}

// --- the painted month --------------------------------------------------------------------

LRESULT PlainProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

SYSTEMTIME Day(WORD year, WORD month, WORD day) {
  SYSTEMTIME t{year, month, 0, day, 9, 0, 0, 0};
  FILETIME ticks{};
  SystemTimeToFileTime(&t, &ticks);
  FileTimeToSystemTime(&ticks, &t);
  return t;
}

// The client area's pixels, row by row.
std::vector<std::uint32_t> Picture(HWND window) {
  const auto rows = ReadPixelRows(*ClientCanvas(window));
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < rows->height; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        reinterpret_cast<const std::uint8_t*>(rows->pixels) + std::ptrdiff_t{y} * rows->pitch);
    pixels.insert(pixels.end(), row, row + rows->width);
  }
  return pixels;
}

// The pixels moved to the top left corner of their bounding box: the shape, wherever it is.
Pixels Normalized(const Pixels& pixels) {
  int left = INT32_MAX, top = INT32_MAX;
  for (const auto& [x, y] : pixels) {
    left = std::min(left, x);
    top = std::min(top, y);
  }
  Pixels shape;
  for (const auto& [x, y] : pixels) shape.insert({x - left, y - top});
  return shape;
}

std::uint32_t PixelOf(COLORREF colour) {
  return std::uint32_t{GetRValue(colour)} << 16 | std::uint32_t{GetGValue(colour)} << 8 |
         GetBValue(colour);
}

// May 2024 with the last period on the 1st and the 20th selected: the 1st and the 29th begin
// a period, the 2nd to the 5th and the 30th and 31st are menstrual, the 15th is the most
// fertile day and the 12th to the 16th are fertile.
class PaintedMarks : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LC_ALL", "en_US.UTF-8", 1);
    ResetDateFormatLocale();
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = PlainProcedure;
    window_class.lpszClassName = u"DayMarksTest";
    RegisterClassW(&window_class);
    window_ = CreateWindowExW(0, u"DayMarksTest", u"", 0, 0, 0, 240, 266, nullptr, nullptr,
                              nullptr, nullptr);
    ASSERT_NE(window_, nullptr);
    AppState = AppStateRecord{};
    AppState.SelectedDate = Day(2024, 5, 20);
    AppState.LastPeriod = Day(2024, 5, 1);
    AppState.LastPeriodKnown = 1;
  }
  void TearDown() override {
    DestroyWindow(window_);
    AppState = AppStateRecord{};
  }
  std::vector<std::uint32_t> Paint(int width, int height, bool marks) {
    EXPECT_TRUE(ResizeClientArea(window_, width, height));
    AppState.DayMarks = marks ? 1 : 0;
    PaintMonth(window_);
    return Picture(window_);
  }
  HWND window_ = nullptr;
};

// The day whose cell holds pixel (x, y) of May 2024, 0 outside the days.
int DayAt(int x, int y) {
  const int column = x / AppState.CellWidth;
  const int row = y / AppState.CellHeight;
  const int day = (row - kFirstDayRow) * kGridColumns + column - 3 + 1;  // the 1st: Wednesday
  return row >= kFirstDayRow && column < kGridColumns && day >= 1 && day <= 31 ? day : 0;
}

TEST_F(PaintedMarks, OnlyMenstrualAndFertileDaysGainTheirOwnMark) {
  for (const auto& [width, height] : {std::pair{240, 266}, {480, 532}, {1400, 400}, {350, 1200}}) {
    SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
    const std::vector<std::uint32_t> plain = Paint(width, height, false);
    const std::vector<std::uint32_t> marked = Paint(width, height, true);
    std::map<int, Pixels> changed;  // by day, relative to the cell
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const std::size_t at = static_cast<std::size_t>(y) * width + x;
        if (plain[at] == marked[at]) continue;
        const int day = DayAt(x, y);
        ASSERT_NE(day, 0) << "outside the days: " << x << "," << y;
        const DayClass day_class = ClassifyDay(day, 20);
        ASSERT_NE(MarkOf(day_class).shape, MarkShape::kNone) << "day " << day;
        ASSERT_EQ(plain[at], PixelOf(ColoursOf(day_class).fill))
            << "covers the number of " << day;
        ASSERT_EQ(marked[at], PixelOf(MarkOf(day_class).colour)) << "day " << day;
        changed[day].insert({x % AppState.CellWidth, y % AppState.CellHeight});
      }
    }
    std::map<DayClass, Pixels> mark_of_class;
    for (int day = 1; day <= 31; ++day) {
      const DayClass day_class = ClassifyDay(day, 20);
      const bool has_mark = MarkOf(day_class).shape != MarkShape::kNone;
      EXPECT_EQ(changed.count(day), has_mark ? 1u : 0u) << "day " << day;
      if (has_mark) mark_of_class.emplace(day_class, Normalized(changed[day]));
    }
    ASSERT_EQ(mark_of_class.size(), 4u);
    std::set<Pixels> distinct;
    for (const auto& [day_class, pixels] : mark_of_class) distinct.insert(pixels);
    EXPECT_EQ(distinct.size(), 4u) << "each class has a mark of its own";
  }
}

TEST_F(PaintedMarks, WithoutRoomTheMarkIsLeftOutAndNothingBreaks) {
  for (const auto& [width, height] : {std::pair{0, 0}, {7, 8}, {70, 80}}) {
    const std::size_t objects = LiveGdiObjectCount();
    EXPECT_EQ(Paint(width, height, true), Paint(width, height, false)) << width;
    EXPECT_EQ(LiveGdiObjectCount(), objects) << "every brush of a mark is released";
  }
}

}  // namespace

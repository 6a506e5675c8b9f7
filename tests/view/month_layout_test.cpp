// The month's grid, walked over a whole 400-year cycle: each month's 1st stands one column
// after the previous month's last day, the days fill their rows one column at a time, and
// the cell rectangles tile the day rows without gap or overlap.
#include "view/month_layout.h"

#include <gtest/gtest.h>

namespace {

TEST(MonthGrid, DaysFollowEachOtherAcrossAFullCycle) {
  GridPlace previous_last = MonthGridOf(1600, 12).PlaceOf(31);
  for (std::int32_t year = 1601; year <= 2000; ++year) {
    for (std::int32_t month = 1; month <= 12; ++month) {
      const MonthGrid grid = MonthGridOf(year, month);
      ASSERT_EQ(grid.PlaceOf(1),
                (GridPlace{(previous_last.column + 1) % kGridColumns, kFirstDayRow}))
          << year << "-" << month;
      for (std::int32_t day = 2; day <= grid.days; ++day) {
        const GridPlace before = grid.PlaceOf(day - 1);
        const GridPlace place = grid.PlaceOf(day);
        const bool wraps = before.column == kLastWeekday;
        ASSERT_EQ(place, (GridPlace{wraps ? 0 : before.column + 1, before.row + (wraps ? 1 : 0)}));
      }
      ASSERT_EQ(grid.LastRow(), grid.PlaceOf(grid.days).row);
      ASSERT_LE(grid.LastRow(), kGridRows - 1);
      previous_last = grid.PlaceOf(grid.days);
    }
  }
}

TEST(MonthGrid, CellsTileTheirRows) {
  const MonthGrid may = MonthGridOf(2024, 5);  // the 1st is a Wednesday
  const struct {
    std::int32_t day;
    Rect cell;
  } cases[] = {
      {1, {102, 66, 136, 99}},
      {4, {204, 66, 238, 99}},
      {5, {0, 99, 34, 132}},
      {31, {170, 198, 204, 231}},
  };
  for (const auto& c : cases) {
    const Rect cell = may.CellOf(c.day, 34, 33);
    EXPECT_EQ(cell.left, c.cell.left) << c.day;
    EXPECT_EQ(cell.top, c.cell.top) << c.day;
    EXPECT_EQ(cell.right, c.cell.right) << c.day;
    EXPECT_EQ(cell.bottom, c.cell.bottom) << c.day;
  }
}

}  // namespace

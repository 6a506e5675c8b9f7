// The geometry of the month view, shared by painting and tap handling: seven columns
// (Sunday first) and eight rows of equal cells laid from the top left corner of the client
// area. Row 0 holds "<", the month title and ">"; row 1 the weekday initials; rows 2 to 7
// the days of the month. Every pixel position of the view is computed from here, and which
// cell holds which day: the paint, the tap and the month printed as text all ask MonthGrid.
//
// Example (May 2024: the 1st is a Wednesday):
//   MonthGridOf(2024, 5).PlaceOf(1) == GridPlace{3, 2};  .PlaceOf(31) == GridPlace{5, 6}
#pragma once

#include <cstdint>

#include "model/calendar.h"
#include "platform/canvas/geometry.h"

constexpr std::int32_t kGridColumns = 7;
constexpr std::int32_t kGridRows = 8;
constexpr std::int32_t kTitleRow = 0;
constexpr std::int32_t kWeekdayRow = 1;
constexpr std::int32_t kFirstDayRow = 2;
constexpr std::int32_t kPreviousMonthColumn = 0;
constexpr std::int32_t kTitleFirstColumn = 1;
constexpr std::int32_t kNextMonthColumn = kGridColumns - 1;
constexpr std::int32_t kLastWeekday = kGridColumns - 1;  // Saturday

// The cell size for a client area: width / 7 and height / 8, truncated.
constexpr std::int32_t CellWidthFor(const Rect& client) {
  return (client.right - client.left) / kGridColumns;
}
constexpr std::int32_t CellHeightFor(const Rect& client) {
  return (client.bottom - client.top) / kGridRows;
}

// The rectangle spanning columns first_column .. last_column of one row.
constexpr Rect CellSpan(std::int32_t first_column, std::int32_t last_column, std::int32_t row,
                        std::int32_t cell_width, std::int32_t cell_height) {
  return Rect{first_column * cell_width, row * cell_height, (last_column + 1) * cell_width,
              (row + 1) * cell_height};
}

// The rectangle of one cell.
constexpr Rect CellRect(std::int32_t column, std::int32_t row, std::int32_t cell_width,
                        std::int32_t cell_height) {
  return CellSpan(column, column, row, cell_width, cell_height);
}

// A cell of the grid.
struct GridPlace {
  std::int32_t column;  // [0, 6], Sunday first
  std::int32_t row;     // [0, 7]
  friend bool operator==(const GridPlace&, const GridPlace&) = default;
};

// Where the days of one month stand: the 1st in the column of its weekday in row 2, each
// further day one column on, wrapping to the next row after Saturday.
struct MonthGrid {
  std::int32_t first_column;  // [0, 6]: the weekday of the 1st
  std::int32_t days;          // [28, 31]

  // The cell of day `day` (1 to days).
  constexpr GridPlace PlaceOf(std::int32_t day) const {
    const std::int32_t index = first_column + day - 1;  // [0, 36]
    return GridPlace{index % kGridColumns, kFirstDayRow + index / kGridColumns};
  }
  // The rectangle of day `day`'s cell for cells of cell_width x cell_height.
  constexpr Rect CellOf(std::int32_t day, std::int32_t cell_width, std::int32_t cell_height) const {
    const GridPlace place = PlaceOf(day);
    return CellRect(place.column, place.row, cell_width, cell_height);
  }
  // The row of the last day: 6 or 7 (5 for a February of 28 days starting on a Sunday).
  constexpr std::int32_t LastRow() const { return PlaceOf(days).row; }
};

// The grid of month `month` (1 to 12) of `year`; the weekday is computed, never taken from a
// stored date.
inline MonthGrid MonthGridOf(std::int32_t year, std::int32_t month) {
  return MonthGrid{DayOfWeek(1, month, year), DaysInMonth(year, month)};
}

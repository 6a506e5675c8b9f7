// The geometry of the month view, shared by painting and tap handling: seven columns
// (Sunday first) and eight rows of equal cells laid from the top left corner of the client
// area. Row 0 holds "<", the month title and ">"; row 1 the weekday initials; rows 2 to 7
// the days of the month. Every pixel position of the view is computed from here.
#pragma once

#include <cstdint>

#include "platform/ui/win_types.h"

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
constexpr std::int32_t CellWidthFor(const RECT& client) {
  return (client.right - client.left) / kGridColumns;
}
constexpr std::int32_t CellHeightFor(const RECT& client) {
  return (client.bottom - client.top) / kGridRows;
}

// The rectangle spanning columns first_column .. last_column of one row.
constexpr RECT CellSpan(std::int32_t first_column, std::int32_t last_column, std::int32_t row,
                        std::int32_t cell_width, std::int32_t cell_height) {
  return RECT{first_column * cell_width, row * cell_height, (last_column + 1) * cell_width,
              (row + 1) * cell_height};
}

// The rectangle of one cell.
constexpr RECT CellRect(std::int32_t column, std::int32_t row, std::int32_t cell_width,
                        std::int32_t cell_height) {
  return CellSpan(column, column, row, cell_width, cell_height);
}

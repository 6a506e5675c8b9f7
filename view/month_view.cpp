#include "view/month_view.h"

#include <array>
#include <cstdint>
#include <string>

#include "model/calendar.h"
#include "platform/canvas/canvas.h"
#include "platform/dates/dateformat.h"
#include "view/day_class.h"
#include "view/day_marks.h"
#include "view/month_layout.h"
#include "view/weekday_headers.h"

namespace {

constexpr std::size_t kDateTextCapacity = 20;  // title and weekday names: up to 19 units
constexpr const char16_t* kTitlePicture = u"MMMM yyyy";
constexpr const char16_t* kWeekdayPicture = u"ddd";
constexpr const char16_t* kNarrowWeekdayPicture = u"ddddd";
// 1 January 1995 was a Sunday: day i + 1 of that month falls on weekday i.
constexpr std::int32_t kWeekdayNameYear = 1995;
constexpr std::int32_t kWeekdayNameMonth = 1;

struct Grid {
  std::int32_t cell_width;
  std::int32_t cell_height;
};

// A day of the month (1 to 31) in decimal: one or two digits, no leading zero or space.
struct DayNumberText {
  std::array<char16_t, 2> units{};
  int length = 0;
};

char16_t LastDigit(std::int32_t value) { return static_cast<char16_t>(u'0' + value % 10); }

DayNumberText FormatDayNumber(std::int32_t day) {
  DayNumberText text;
  if (day >= 10) text.units[static_cast<std::size_t>(text.length++)] = LastDigit(day / 10);
  text.units[static_cast<std::size_t>(text.length++)] = LastDigit(day);
  return text;
}

std::u16string_view TextOf(const DayNumberText& number) {
  return std::u16string_view(number.units.data(), static_cast<std::size_t>(number.length));
}

// Row 0: "<", the title across columns 1 to 5, ">". A title that could not be formatted
// (n == 0) leaves the space between the arrows empty.
void DrawTitleRow(Canvas& canvas, const char16_t* title, int n, Grid grid) {
  if (n > 0) {
    canvas.DrawTextCentred(CellSpan(kTitleFirstColumn, kNextMonthColumn - 1, kTitleRow,
                                    grid.cell_width, grid.cell_height),
                           std::u16string_view(title, static_cast<std::size_t>(n - 1)), kBlack,
                           kWhite);
  }
  canvas.DrawTextCentred(
      CellRect(kPreviousMonthColumn, kTitleRow, grid.cell_width, grid.cell_height), u"<", kBlack,
      kWhite);
  canvas.DrawTextCentred(CellRect(kNextMonthColumn, kTitleRow, grid.cell_width, grid.cell_height),
                         u">", kBlack, kWhite);
}

// The seven weekday names of a picture, Sunday first; empty where formatting fails.
WeekdayTexts WeekdayNames(const char16_t* picture) {
  WeekdayTexts names;
  for (std::int32_t i = 0; i <= kLastWeekday; ++i) {
    std::u16string name =
        FormatDatePicture(CivilDay(kWeekdayNameYear, kWeekdayNameMonth, i + 1), picture);
    if (name.size() < kDateTextCapacity) names[static_cast<std::size_t>(i)] = std::move(name);
  }
  return names;
}

// Row 1: blue cells one pixel short of the row, so a white line parts them from the days;
// cells one pixel high (a terminal's row) keep that pixel, or the row would vanish.
void DrawWeekdayRow(Canvas& canvas, Grid grid) {
  const WeekdayTexts headers =
      WeekdayHeaders(WeekdayNames(kWeekdayPicture), WeekdayNames(kNarrowWeekdayPicture));
  for (std::int32_t i = 0; i <= kLastWeekday; ++i) {
    Rect band = CellRect(i, kWeekdayRow, grid.cell_width, grid.cell_height);
    if (grid.cell_height > 1) band.bottom -= 1;
    canvas.Fill(band, kBlue);
    const std::u16string& header = headers[static_cast<std::size_t>(i)];
    if (!header.empty()) canvas.DrawTextCentred(band, header, kWhite, kBlue);
  }
}

// The mark of the day's class, clear of its number, just drawn in the target's colours.
void MarkDay(Canvas& canvas, const Rect& cell, const DayNumberText& number,
             const DayColours& colours, DayClass day_class) {
  const Rect number_ink = canvas.TextInk(cell, TextOf(number), colours.text, colours.fill);
  DrawDayMark(canvas, cell, number_ink, day_class);
}

// One day cell by the day rules: selected; else critical over fertile colours; else plain.
void DrawDay(Canvas& canvas, const CalendarState& state, std::int32_t day, std::int32_t selected,
             const Rect& cell) {
  const DayNumberText number = FormatDayNumber(day);
  const DayClass day_class = ClassifyDay(state, day, selected);
  const DayColours colours = ColoursOf(day_class);
  if (colours.filled) {
    canvas.Fill(cell, colours.fill);
    canvas.DrawTextCentred(cell, TextOf(number), colours.text, colours.fill);
    if (state.DayMarks != 0) MarkDay(canvas, cell, number, colours, day_class);
    return;
  }
  canvas.DrawTextCentred(cell, TextOf(number), kBlack, kWhite);
}

// Rows 2 to 7: each day in its cell of the month's grid.
void DrawDays(Canvas& canvas, const CalendarState& state, Grid grid, std::int32_t selected) {
  const CivilDay month = state.SelectedDate.date;
  const MonthGrid days = MonthGridOf(month.year(), month.month());
  for (std::int32_t day = 1; day <= days.days; ++day) {
    DrawDay(canvas, state, day, selected, days.CellOf(day, grid.cell_width, grid.cell_height));
  }
}

// The box of the selected day's number (its cell's corner where no glyph shows, or where
// there is no picture), so that screen readers follow the selection.
Rect FocusOf(const CalendarState& state, Canvas* canvas, Grid grid, std::int32_t day) {
  const CivilDay month = state.SelectedDate.date;
  const Rect cell =
      MonthGridOf(month.year(), month.month()).CellOf(day, grid.cell_width, grid.cell_height);
  const DayNumberText number = FormatDayNumber(day);
  // The colours are those the number was drawn in: a canvas may keep what it made for them.
  const DayColours colours = ColoursOf(DayClass::kSelected);
  Rect ink{};
  if (canvas != nullptr) ink = canvas->TextInk(cell, TextOf(number), colours.text, colours.fill);
  if (canvas == nullptr || ink.right <= ink.left) {
    ink = Rect{cell.left, cell.top, cell.left, cell.top};
  }
  return ink;
}

// The whole paint, `selected` being the day drawn as selected (0: none).
MonthPaint PaintMonthWithSelection(Canvas& screen, const CalendarState& state,
                                   std::int32_t selected) {
  const Rect client{0, 0, screen.Width(), screen.Height()};
  MonthPaint painted;
  painted.cell_width = CellWidthFor(client);
  painted.cell_height = CellHeightFor(client);
  painted.characters = screen.HoldsCharacters();
  const Grid grid{painted.cell_width, painted.cell_height};
  // Composed off-screen, so that the screen never shows a picture half drawn.
  std::unique_ptr<Canvas> picture =
      MakeCanvasLike(screen, kGridColumns * grid.cell_width, kGridRows * grid.cell_height);
  if (picture != nullptr) {
    std::u16string title = FormatDatePicture(state.SelectedDate.date, kTitlePicture);
    if (title.size() >= kDateTextCapacity) title.clear();
    const int n = title.empty() ? 0 : static_cast<int>(title.size()) + 1;
    picture->Fill(client, kWhite);
    DrawTitleRow(*picture, title.c_str(), n, grid);
    DrawWeekdayRow(*picture, grid);
    DrawDays(*picture, state, grid, selected);
  }
  if (selected != 0) painted.focus = FocusOf(state, picture.get(), grid, selected);

  // The copy spans the whole screen; the strip beyond the grid, which the picture does not
  // cover, comes out white, the background (all of it without a picture).
  if (picture != nullptr) {
    screen.Blit(client.left, client.top, client.right, client.bottom, *picture, 0, 0);
  } else {
    screen.Fill(client, kWhite);
  }
  return painted;
}

}  // namespace

MonthPaint PaintMonth(Canvas& screen, const CalendarState& state) {
  return PaintMonthWithSelection(screen, state, state.SelectedDate.date.day());
}

MonthPaint PaintMonthUnselected(Canvas& screen, const CalendarState& state) {
  return PaintMonthWithSelection(screen, state, 0);
}

#include "view/month_view.h"

#include <array>
#include <cstdint>
#include <string>

#include "model/app_state.h"
#include "model/calendar.h"
#include "platform/dates/dateformat.h"
#include "platform/ui/gdi.h"
#include "view/day_class.h"
#include "view/day_marks.h"
#include "view/month_layout.h"
#include "view/weekday_headers.h"

namespace {

constexpr UINT kCentredLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE;  // 37
constexpr int kDateTextCapacity = 20;  // title and weekday names: 19 units and the terminator
constexpr const char16_t* kTitlePicture = u"MMMM yyyy";
constexpr const char16_t* kWeekdayPicture = u"ddd";
constexpr const char16_t* kNarrowWeekdayPicture = u"ddddd";
// 1 January 1995 was a Sunday: day i + 1 of that month falls on weekday i.
constexpr WORD kWeekdayNameYear = 1995;
constexpr WORD kWeekdayNameMonth = 1;

// The seven per-paint brushes; all are released together once the picture is on the window.
struct PaintBrushes {
  HBRUSH white = nullptr;
  HBRUSH blue = nullptr;
  HBRUSH dark_blue = nullptr;
  HBRUSH red = nullptr;
  HBRUSH dark_red = nullptr;
  HBRUSH green = nullptr;
  HBRUSH dark_green = nullptr;
};

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

void DrawCentred(HDC canvas, const char16_t* text, int count, RECT rect) {
  DrawTextW(canvas, text, count, &rect, kCentredLine);
}

// Row 0: "<", the title across columns 1 to 5, ">". A title that could not be formatted
// (n == 0) leaves the space between the arrows empty.
void DrawTitleRow(HDC canvas, const char16_t* title, int n, Grid grid) {
  if (n > 0) {
    DrawCentred(canvas, title, n - 1,
                CellSpan(kTitleFirstColumn, kNextMonthColumn - 1, kTitleRow, grid.cell_width,
                         grid.cell_height));
  }
  DrawCentred(canvas, u"<", 1,
              CellRect(kPreviousMonthColumn, kTitleRow, grid.cell_width, grid.cell_height));
  DrawCentred(canvas, u">", 1,
              CellRect(kNextMonthColumn, kTitleRow, grid.cell_width, grid.cell_height));
}

// The seven weekday names of a picture, Sunday first; empty where formatting fails.
WeekdayTexts WeekdayNames(const char16_t* picture) {
  SYSTEMTIME weekday = AppState.SelectedDate;
  weekday.wYear = kWeekdayNameYear;
  weekday.wMonth = kWeekdayNameMonth;
  WeekdayTexts names;
  for (std::int32_t i = 0; i <= kLastWeekday; ++i) {
    weekday.wDayOfWeek = static_cast<WORD>(i);
    weekday.wDay = static_cast<WORD>(i + 1);
    char16_t name[kDateTextCapacity] = {};
    const int written =
        GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &weekday, picture, name, kDateTextCapacity);
    if (written > 1) names[static_cast<std::size_t>(i)].assign(name, written - 1);
  }
  return names;
}

// Row 1: blue cells one pixel short of the row, so a white line parts them from the days;
// cells one pixel high (a terminal's row) keep that pixel, or the row would vanish.
void DrawWeekdayRow(HDC canvas, PaintBrushes& brushes, Grid grid) {
  SetBkColor(canvas, kBlue);
  SetTextColor(canvas, kWhite);
  brushes.blue = CreateSolidBrush(kBlue);
  const WeekdayTexts headers =
      WeekdayHeaders(WeekdayNames(kWeekdayPicture), WeekdayNames(kNarrowWeekdayPicture));
  for (std::int32_t i = 0; i <= kLastWeekday; ++i) {
    RECT band = CellRect(i, kWeekdayRow, grid.cell_width, grid.cell_height);
    if (grid.cell_height > 1) band.bottom -= 1;
    FillRect(canvas, &band, brushes.blue);
    const std::u16string& header = headers[static_cast<std::size_t>(i)];
    if (!header.empty()) DrawCentred(canvas, header.data(), static_cast<int>(header.size()), band);
  }
}

void PaintCell(HDC canvas, const RECT& cell, const DayNumberText& number, HBRUSH fill,
               COLORREF fill_colour, COLORREF text_colour) {
  SetBkColor(canvas, fill_colour);
  SetTextColor(canvas, text_colour);
  FillRect(canvas, &cell, fill);
  DrawCentred(canvas, number.units.data(), number.length, cell);
}

HBRUSH BrushFor(const PaintBrushes& brushes, DayClass day_class) {
  switch (day_class) {
    case DayClass::kSelected:
      return brushes.dark_blue;
    case DayClass::kPeriodStart:
      return brushes.red;
    case DayClass::kPeriod:
      return brushes.dark_red;
    case DayClass::kMostFertile:
      return brushes.green;
    case DayClass::kFertile:
      return brushes.dark_green;
    case DayClass::kPlain:
      break;
  }
  return nullptr;
}

// The mark of the day's class, clear of its number, just drawn in the target's colours.
void MarkDay(HDC canvas, const RECT& cell, const DayNumberText& number, DayClass day_class) {
  RECT number_ink{};
  if (GetTextInkBox(canvas, number.units.data(), number.length, &cell, &number_ink)) {
    DrawDayMark(canvas, cell, number_ink, day_class);
  }
}

// One day cell by the day rules: selected; else critical over fertile colours; else plain.
void DrawDay(HDC canvas, const PaintBrushes& brushes, std::int32_t day, std::int32_t selected,
             const RECT& cell) {
  const DayNumberText number = FormatDayNumber(day);
  const DayClass day_class = ClassifyDay(day, selected);
  const DayColours colours = ColoursOf(day_class);
  if (colours.filled) {
    PaintCell(canvas, cell, number, BrushFor(brushes, day_class), colours.fill, colours.text);
    if (AppState.DayMarks != 0) MarkDay(canvas, cell, number, day_class);
    return;
  }
  SetBkColor(canvas, kWhite);
  SetTextColor(canvas, kBlack);
  DrawCentred(canvas, number.units.data(), number.length, cell);
}

// Rows 2 to 7: each day in its cell of the month's grid.
void DrawDays(HDC canvas, PaintBrushes& brushes, Grid grid, std::int32_t selected) {
  SetBkColor(canvas, kWhite);
  SetTextColor(canvas, kBlack);
  const SYSTEMTIME& month = AppState.SelectedDate;
  const MonthGrid days = MonthGridOf(month.wYear, month.wMonth);
  brushes.dark_blue = CreateSolidBrush(kDarkBlue);
  brushes.red = CreateSolidBrush(kRed);
  brushes.dark_red = CreateSolidBrush(kDarkRed);
  brushes.green = CreateSolidBrush(kGreen);
  brushes.dark_green = CreateSolidBrush(kDarkGreen);
  for (std::int32_t day = 1; day <= days.days; ++day) {
    DrawDay(canvas, brushes, day, selected, days.CellOf(day, grid.cell_width, grid.cell_height));
  }
}

// The caret on the selected day's number (its cell's corner where no glyph shows), so that
// screen readers follow the selection.
void PlaceCaret(HWND window, HDC canvas, Grid grid, std::int32_t day) {
  const SYSTEMTIME& month = AppState.SelectedDate;
  const RECT cell =
      MonthGridOf(month.wYear, month.wMonth).CellOf(day, grid.cell_width, grid.cell_height);
  const DayNumberText number = FormatDayNumber(day);
  RECT ink{};
  if (!GetTextInkBox(canvas, number.units.data(), number.length, &cell, &ink) ||
      ink.right <= ink.left) {
    ink = RECT{cell.left, cell.top, cell.left, cell.top};
  }
  CreateCaret(window, nullptr, ink.right - ink.left, ink.bottom - ink.top);
  SetCaretPos(ink.left, ink.top);
}

void ReleaseBrushes(const PaintBrushes& brushes) {
  for (HBRUSH brush : {brushes.white, brushes.blue, brushes.dark_blue, brushes.red,
                       brushes.dark_red, brushes.green, brushes.dark_green}) {
    if (brush != nullptr) DeleteObject(brush);
  }
}

// The whole paint, `selected` being the day drawn as selected (0: none).
LRESULT PaintMonthWithSelection(HWND window, std::int32_t selected) {
  PAINTSTRUCT paint{};
  HDC screen = BeginPaint(window, &paint);
  GetClientRect(window, &AppState.ClientRect);
  AppState.CellWidth = CellWidthFor(AppState.ClientRect);
  AppState.CellHeight = CellHeightFor(AppState.ClientRect);
  const Grid grid{AppState.CellWidth, AppState.CellHeight};

  HDC canvas = CreateCompatibleDC(screen);
  HBITMAP surface =
      CreateCompatibleBitmap(screen, kGridColumns * grid.cell_width, kGridRows * grid.cell_height);
  HGDIOBJ previous_surface = SelectObject(canvas, surface);

  char16_t title[kDateTextCapacity] = {};
  const int n = GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &AppState.SelectedDate, kTitlePicture,
                               title, kDateTextCapacity);
  PaintBrushes brushes;
  SetBkColor(canvas, kWhite);
  SetTextColor(canvas, kBlack);
  brushes.white = CreateSolidBrush(kWhite);
  FillRect(canvas, &AppState.ClientRect, brushes.white);
  DrawTitleRow(canvas, title, n, grid);
  DrawWeekdayRow(canvas, brushes, grid);
  DrawDays(canvas, brushes, grid, selected);
  if (selected != 0) PlaceCaret(window, canvas, grid, selected);

  // The copy spans the whole client area; the strip beyond the grid, which the surface does
  // not cover, comes out white, the window's background.
  const RECT& client = AppState.ClientRect;
  BitBlt(screen, client.left, client.top, client.right, client.bottom, canvas, 0, 0, SRCCOPY);

  SelectObject(canvas, previous_surface);
  if (surface != nullptr) DeleteObject(surface);
  DeleteDC(canvas);
  ReleaseBrushes(brushes);
  EndPaint(window, &paint);
  return 0;
}

}  // namespace

LRESULT PaintMonth(HWND window) {
  return PaintMonthWithSelection(window, AppState.SelectedDate.wDay);
}

LRESULT PaintMonthUnselected(HWND window) { return PaintMonthWithSelection(window, 0); }

#include "app/month_text.h"

#include <vector>

#include "model/app_state.h"
#include "model/calendar.h"
#include "platform/cell_print.h"
#include "platform/unicode.h"
#include "view/day_class.h"
#include "view/month_layout.h"
#include "view/month_view.h"

namespace {

constexpr int kCellWidth = 3;   // two digits and a mark
constexpr int kCellHeight = 3;  // the weekday band keeps a line of its own above its white line
constexpr char16_t kClassName[] = u"CycluneMonthText";

using CellRow = std::vector<PrintedCell>;

bool g_show_selection = false;

LRESULT MonthTextProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    return g_show_selection ? PaintMonth(window) : PaintMonthUnselected(window);
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND CreateMonthWindow() {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = MonthTextProcedure;
  window_class.hbrBackground = GetStockObject(WHITE_BRUSH);
  window_class.lpszClassName = kClassName;
  RegisterClassW(&window_class);  // 0 when an earlier month registered it: that class serves
  return CreateWindowExW(0, kClassName, u"", WS_VISIBLE, 0, 0, kGridColumns * kCellWidth,
                         kGridRows * kCellHeight, nullptr, nullptr, nullptr, nullptr);
}

// The grid cell of a day: its column and row.
struct GridPlace {
  int column;
  int row;
};
GridPlace PlaceOfDay(int day) {
  const SYSTEMTIME& month = AppState.SelectedDate;
  const int index = DayOfWeek(1, month.wMonth, month.wYear) + day - 1;
  return {index % kGridColumns, kFirstDayRow + index / kGridColumns};
}

// The text line of each grid row down to the last row that holds a day. The line of a row is
// the one its centred text is drawn on.
std::vector<CellRow> PaintedRows(HWND window) {
  const SYSTEMTIME& month = AppState.SelectedDate;
  const int last_row = PlaceOfDay(DaysInMonth(month.wYear, month.wMonth)).row;
  std::vector<CellRow> rows;
  for (int row = 0; row <= last_row; ++row) {
    rows.push_back(PrintedRow(window, row * kCellHeight + kCellHeight / 2));
  }
  return rows;
}

// "<" and ">" change the month in the window; on paper they mean nothing.
void BlankArrows(CellRow* title) {
  for (const int column : {kPreviousMonthColumn, kNextMonthColumn}) {
    for (int x = column * kCellWidth; x < (column + 1) * kCellWidth; ++x) {
      if (x < static_cast<int>(title->size())) {
        (*title)[static_cast<std::size_t>(x)].text.assign(1, U' ');
      }
    }
  }
}

// Without colour: each day's mark in the last cell of its grid cell, after the number.
void MarkDays(std::vector<CellRow>* rows) {
  const SYSTEMTIME& month = AppState.SelectedDate;
  const int selected = g_show_selection ? month.wDay : 0;
  for (int day = 1; day <= DaysInMonth(month.wYear, month.wMonth); ++day) {
    const GridPlace place = PlaceOfDay(day);
    const auto x = static_cast<std::size_t>(place.column * kCellWidth + kCellWidth - 1);
    CellRow& row = (*rows)[static_cast<std::size_t>(place.row)];
    if (x < row.size()) row[x].text = std::u32string(1, DayClassMark(ClassifyDay(day, selected)));
  }
}

std::string PlainLine(const CellRow& row) {
  std::string line = PrintedLine(row, false);
  line.pop_back();
  line.erase(line.find_last_not_of(' ') + 1);
  return line + "\n";
}

// One line of the legend: the class as a day shows it (a coloured cell, or its mark), then
// what it means.
std::string LegendLine(DayClass day_class, const char* meaning, bool colour) {
  std::string sample;
  if (colour) {
    const DayColours colours = ColoursOf(day_class);
    const PrintedCell cell{U" ", colours.text, colours.fill};
    sample = PrintedLine(CellRow(kCellWidth, cell), true);
    sample.pop_back();
  } else {
    sample = std::string(" ") + static_cast<char>(DayClassMark(day_class)) + " ";
  }
  return sample + " " + meaning + "\n";
}

std::string Legend(bool colour) {
  std::string legend = "\n";
  if (g_show_selection) legend += LegendLine(DayClass::kSelected, "today", colour);
  if (!AppState.LastPeriodKnown) {
    return legend + "No last period is set: set one in Cyclune to see the predictions.\n";
  }
  legend += LegendLine(DayClass::kPeriodStart, "first day of a predicted period", colour);
  legend += LegendLine(DayClass::kPeriod, "other day of a predicted period", colour);
  legend += LegendLine(DayClass::kMostFertile, "most fertile day (predicted ovulation)", colour);
  legend += LegendLine(DayClass::kFertile, "other day of a fertile window", colour);
  return legend;
}

}  // namespace

std::string MonthText(bool show_selection, bool colour) {
  g_show_selection = show_selection;
  StartCellPrinter();
  HWND window = CreateMonthWindow();
  UpdateWindow(window);
  std::vector<CellRow> rows = PaintedRows(window);
  DestroyWindow(window);
  FinishCellPrinter();
  if (rows.empty()) return {};

  BlankArrows(&rows.front());
  if (!colour) MarkDays(&rows);
  std::string text;
  for (const CellRow& row : rows) text += colour ? PrintedLine(row, true) : PlainLine(row);
  return text + Legend(colour);
}

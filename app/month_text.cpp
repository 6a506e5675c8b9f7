#include "app/month_text.h"

#include <memory>
#include <vector>

#include "model/calendar.h"
#include "model/calendar_state.h"
#include "platform/canvas/cells/cell_print.h"
#include "platform/text/unicode.h"
#include "view/day_class.h"
#include "view/month_layout.h"
#include "view/month_view.h"

namespace {

constexpr int kCellWidth = 3;   // two digits and the mark after them
constexpr int kCellHeight = 3;  // the weekday band keeps a line of its own above its white line

using CellRow = std::vector<PrintedCell>;

// The text line of each grid row down to the last row that holds a day. The line of a row is
// the one its centred text is drawn on.
std::vector<CellRow> PaintedRows(const Canvas& page, CivilDay month) {
  const int last_row = MonthGridOf(month.year(), month.month()).LastRow();
  std::vector<CellRow> rows;
  for (int row = 0; row <= last_row; ++row) {
    rows.push_back(PrintedRow(page, row * kCellHeight + kCellHeight / 2));
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

std::string PlainLine(const CellRow& row) {
  std::string line = PrintedLine(row, false);
  line.pop_back();
  line.erase(line.find_last_not_of(' ') + 1);
  return line + "\n";
}

// The sample of a class in the legend, three cells as a day shows it: its colours, its mark
// in the middle, or both.
std::string LegendSample(DayClass day_class, bool colour, bool marks) {
  const DayMark mark = MarkOf(day_class);
  const char32_t glyph = marks ? mark.glyph : U' ';
  if (!colour) return std::string(" ") + static_cast<char>(glyph) + " ";
  const DayColours colours = ColoursOf(day_class);
  CellRow sample(kCellWidth, PrintedCell{U" ", colours.text, colours.fill});
  sample[kCellWidth / 2] = PrintedCell{std::u32string(1, glyph), mark.colour, colours.fill};
  std::string line = PrintedLine(sample, true);
  line.pop_back();
  return line;
}

// One line of the legend: the class as a day shows it, then what it means.
std::string LegendLine(DayClass day_class, const char* meaning, bool colour, bool marks) {
  return LegendSample(day_class, colour, marks) + " " + meaning + "\n";
}

std::string Legend(const CalendarState& state, bool show_selection, bool colour, bool marks) {
  std::string legend = "\n";
  if (show_selection) legend += LegendLine(DayClass::kSelected, "today", colour, marks);
  if (!state.LastPeriodKnown) {
    return legend + "No last period is set: set one in Cyclune to see the predictions.\n";
  }
  const struct {
    DayClass day_class;
    const char* meaning;
  } kLines[] = {
      {DayClass::kPeriodStart, "first day of a predicted period"},
      {DayClass::kPeriod, "other day of a predicted period"},
      {DayClass::kMostFertile, "most fertile day (predicted ovulation)"},
      {DayClass::kFertile, "other day of a fertile window"},
  };
  for (const auto& line : kLines) legend += LegendLine(line.day_class, line.meaning, colour, marks);
  return legend;
}

}  // namespace

std::string MonthText(const CalendarState& state, bool show_selection, bool colour) {
  CalendarState shown = state;
  const bool marks = DayMarksShown(colour, state.DayMarks != 0);
  shown.DayMarks = marks ? 1 : 0;
  std::unique_ptr<Canvas> page =
      MakePrintCanvas(kGridColumns * kCellWidth, kGridRows * kCellHeight);
  if (page == nullptr) return {};
  if (show_selection) {
    PaintMonth(*page, shown);
  } else {
    PaintMonthUnselected(*page, shown);
  }
  std::vector<CellRow> rows = PaintedRows(*page, shown.SelectedDate.date);
  if (rows.empty()) return {};

  BlankArrows(&rows.front());
  std::string text;
  for (const CellRow& row : rows) text += colour ? PrintedLine(row, true) : PlainLine(row);
  return text + Legend(shown, show_selection, colour, marks);
}

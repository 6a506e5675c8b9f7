// The month view painted on the terminal's cell canvases, at every small terminal size:
// the paint always runs to its end, says the cell size, and puts the selected day and
// the white strip where the grid says; the weekday row keeps its row and tells the days
// apart in every locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "model/calendar_state.h"
#include "platform/canvas/cells/cell_canvas.h"
#include "platform/canvas/cells/cell_text.h"
#include "platform/dates/dateformat.h"
#include "view/day_class.h"
#include "view/month_view.h"

namespace {

// The text of cells [left, right) of row y, blanks and the right halves of wide glyphs left
// out.
std::u32string TextOf(const CellCanvas& canvas, int y, int left, int right) {
  std::u32string text;
  for (int x = left; x < right; ++x) {
    const Cell& cell = canvas.At(x, y);
    if (cell.part == Cell::Part::kWideTail || cell.text[0] == U' ') continue;
    for (char32_t c : cell.text) {
      if (c != 0) text.push_back(c);
    }
  }
  return text;
}

class TerminalPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("LC_ALL", "en_US.UTF-8", 1);
    ResetDateFormatLocale();
    state.SelectedDate = LocalDateTime{CivilDay(2024, 5, 15), 9};  // Wednesday 15 May
  }
  void TearDown() override {
    SetCellTextUnicode(false);
    std::setlocale(LC_CTYPE, "C");
  }
  // The month painted on a white terminal screen of width x height cells.
  std::unique_ptr<CellCanvas> Paint(int width, int height) {
    auto screen = std::make_unique<CellCanvas>(width, height);
    screen->Fill(Rect{0, 0, width, height}, kWhite);
    painted = PaintMonth(*screen, state);
    return screen;
  }
  CalendarState state;
  MonthPaint painted;
};

TEST_F(TerminalPaint, EverySizePaintsTheGridItCanHold) {
  for (int width = 0; width <= 40; ++width) {
    for (int height = 0; height <= 30; ++height) {
      const auto canvas = Paint(width, height);
      const int cell_width = width / 7;
      const int cell_height = height / 8;
      EXPECT_EQ(painted.cell_width, cell_width);
      EXPECT_EQ(painted.cell_height, cell_height);
      SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
      // 15 May lies in column 3 of row 4 (the 1st is a Wednesday, in row 2).
      if (cell_width > 0 && cell_height > 0) {
        EXPECT_EQ(canvas->At(3 * cell_width, 4 * cell_height).background, kDarkBlue);
        EXPECT_EQ(canvas->At(2 * cell_width, 4 * cell_height).background, kWhite);
      }
      // The strip right of and below the grid is white.
      for (int y = 0; y < height; ++y) {
        for (int x = 7 * cell_width; x < width; ++x) {
          ASSERT_EQ(canvas->At(x, y).background, kWhite);
        }
      }
    }
  }
}

TEST_F(TerminalPaint, EightyByTwentyThreeDrawsTextOnTheLowerRowOfEachCell) {
  const auto canvas = Paint(80, 23);
  auto row_text = [&canvas](int y) {
    std::u32string row;
    for (int x = 0; x < canvas->Width(); ++x) row.push_back(canvas->At(x, y).text[0]);
    return row;
  };
  // Cells are 11 x 2: the title on row 1, the weekdays on row 2 (the band is 1 row high).
  EXPECT_EQ(row_text(1).substr(0, 6), U"     <");
  EXPECT_NE(row_text(1).find(U"May 2024"), std::u32string::npos);
  EXPECT_EQ(row_text(2).substr(0, 6), U"     S");
  EXPECT_EQ(canvas->At(0, 3).background, kWhite);  // the line under the weekday row
  EXPECT_EQ(row_text(9).substr(33, 11), U"    15     ");
  EXPECT_EQ(canvas->At(38, 9).foreground, kWhite);
}

TEST_F(TerminalPaint, WeekdayRowKeepsARowAtEveryCellHeight) {
  struct Case {
    int height;
    int first_row, rows;  // of the blue band
  } cases[] = {{8, 1, 1}, {15, 1, 1}, {16, 2, 1}, {23, 2, 1}, {24, 3, 2}, {31, 3, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.height);
    const auto canvas = Paint(80, c.height);
    for (int y = c.first_row; y < c.first_row + c.rows; ++y) {
      EXPECT_EQ(canvas->At(0, y).background, kBlue) << y;
    }
    EXPECT_NE(canvas->At(0, c.first_row + c.rows).background, kBlue);
    EXPECT_EQ(TextOf(*canvas, c.first_row + c.rows / 2, 0, 11), U"S");
  }
}

TEST_F(TerminalPaint, WeekdayHeadersTellTheDaysApartInEveryLocale) {
  struct Case {
    const char* locale;
    std::u32string initials;  // empty: any seven different headers
  } cases[] = {
      {"en_US.UTF-8", U"SMTWTFS"}, {"fr_FR.UTF-8", U"dlmmjvs"}, {"de_DE.UTF-8", U"SMDMDFS"},
      {"zh_CN.UTF-8", U""},        {"ar_EG.UTF-8", U""},        {"he_IL.UTF-8", U""},
      {"vi_VN.UTF-8", U""},        {"pt_BR.UTF-8", U""},
  };
  ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);  // cells show any character
  SetCellTextUnicode(true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locale);
    setenv("LC_ALL", c.locale, 1);
    ResetDateFormatLocale();
    const auto screen = Paint(80, 23);  // cells 11 x 2: the weekdays on row 2
    const CellCanvas& canvas = *screen;
    std::u32string joined;
    std::set<std::u32string> headers;
    for (int column = 0; column < 7; ++column) {
      const std::u32string header = TextOf(canvas, 2, 11 * column, 11 * (column + 1));
      EXPECT_FALSE(header.empty()) << column;
      joined += header;
      headers.insert(header);
    }
    if (c.initials.empty()) {
      EXPECT_EQ(headers.size(), 7u) << "seven different headers";
    } else {
      EXPECT_EQ(joined, c.initials);
    }
  }
}

// With marks, every day that shows a class gains one glyph, its class's own, in the last
// cell of its number's line (of its top line when the number fills that), and nothing else
// changes; where neither has room the day stays as it was.
TEST_F(TerminalPaint, MarksTakeACellBesideTheNumberAndChangeNothingElse) {
  const struct {
    int width, height;
    std::size_t marked;  // days given a mark
  } cases[] = {{80, 23, 14}, {21, 24, 14}, {14, 16, 14}, {14, 8, 5}, {7, 8, 0}};
  state.LastPeriodKnown = 1;
  // Periods 1-5 and 29-31 May, fertile 12-16 May, most fertile the 15th; the 20th selected.
  state.LastPeriod = LocalDateTime{CivilDay(2024, 5, 1), 9};
  state.SelectedDate = LocalDateTime{CivilDay(2024, 5, 20), 9};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    state.DayMarks = 0;
    const auto plain = Paint(c.width, c.height);
    state.DayMarks = 1;
    const auto marked_screen = Paint(c.width, c.height);
    const CellCanvas& marked = *marked_screen;
    std::set<int> marked_days;
    std::map<DayClass, char32_t> glyph_of_class;
    for (int y = 0; y < c.height; ++y) {
      for (int x = 0; x < c.width; ++x) {
        if (plain->At(x, y) == marked.At(x, y)) continue;
        const int column = x / painted.cell_width, row = y / painted.cell_height;
        const int day = (row - 2) * 7 + column - 3 + 1;  // the 1st is a Wednesday, in row 2
        ASSERT_TRUE(row >= 2 && column < 7 && day >= 1 && day <= 31) << x << "," << y;
        const DayClass day_class = ClassifyDay(state, day, 20);
        const Cell& cell = marked.At(x, y);
        EXPECT_EQ(plain->At(x, y).text[0], U' ') << "covers the number of " << day;
        EXPECT_EQ(cell.text[0], char32_t{MarkOf(day_class).glyph}) << day;
        EXPECT_EQ(cell.foreground, MarkOf(day_class).colour) << day;
        EXPECT_EQ(cell.background, ColoursOf(day_class).fill) << day;
        EXPECT_EQ(x % painted.cell_width, painted.cell_width - 1) << day;
        EXPECT_TRUE(marked_days.insert(day).second) << "one mark for " << day;
        glyph_of_class[day_class] = cell.text[0];
      }
    }
    EXPECT_EQ(marked_days.size(), c.marked);
    std::set<char32_t> distinct;
    for (const auto& [day_class, glyph] : glyph_of_class) distinct.insert(glyph);
    EXPECT_EQ(distinct.size(), c.marked == 14 ? 5u : glyph_of_class.size()) << "all apart";
  }
}

}  // namespace

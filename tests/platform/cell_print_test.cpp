// Printing a window as text: a window painted through the printing backend reads back cell by
// cell, wide glyphs once; lines carry 24-bit colours only where they change, or none at all.
#include "platform/cell_print.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/terminal/cell_text.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);

LRESULT PaintProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message != WM_PAINT) return DefWindowProcW(window, message, wparam, lparam);
  PAINTSTRUCT paint{};
  HDC target = BeginPaint(window, &paint);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT cell{3, 0, 6, 3};
  FillRect(target, &cell, red);
  SetBkColor(target, kRed);
  SetTextColor(target, kYellow);
  DrawTextW(target, u"12", 2, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  RECT wide{0, 0, 3, 3};
  SetBkColor(target, kWhite);
  SetTextColor(target, kBlack);
  DrawTextW(target, u"\u65E5", 1, &wide, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  DeleteObject(red);
  EndPaint(window, &paint);
  return 0;
}

std::u32string Glyphs(const std::vector<PrintedCell>& row) {
  std::u32string text;
  for (const PrintedCell& cell : row) text += cell.text.empty() ? U"|" : cell.text;
  return text;
}

TEST(CellPrint, PrintsWhatTheWindowPainted) {
  const char* saved = std::getenv("LC_ALL");
  setenv("LC_ALL", "C.UTF-8", 1);
  StartCellPrinter();
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = PaintProcedure;
  window_class.hbrBackground = GetStockObject(WHITE_BRUSH);
  window_class.lpszClassName = u"CellPrintTest";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(0, u"CellPrintTest", u"", WS_VISIBLE, 0, 0, 6, 3, nullptr,
                                nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  UpdateWindow(window);
  const std::vector<PrintedCell> row = PrintedRow(window, 1);
  EXPECT_EQ(Glyphs(row), U"\u65E5| 12 ");  // the wide glyph once, its right half empty
  ASSERT_EQ(row.size(), 6u);
  EXPECT_EQ(row[4].foreground, kYellow);
  EXPECT_EQ(row[4].background, kRed);
  EXPECT_EQ(PrintedLine(row, false), "\xE6\x97\xA5 12 \n");
  EXPECT_TRUE(PrintedRow(window, 3).empty());
  EXPECT_TRUE(PrintedRow(window, -1).empty());
  DestroyWindow(window);
  FinishCellPrinter();
  SetCellTextUnicode(false);
  if (saved != nullptr) setenv("LC_ALL", saved, 1); else unsetenv("LC_ALL");
  std::setlocale(LC_CTYPE, "C");
}

TEST(CellPrint, ColoursAreSentOnlyWhereTheyChange) {
  const PrintedCell white_blank{U" ", kBlack, kWhite};
  const PrintedCell red_blank{U" ", kBlack, kRed};  // a blank keeps the foreground in force
  const PrintedCell red_digit{U"1", kYellow, kRed};
  const PrintedCell red_digit2{U"2", kYellow, kRed};
  const struct {
    std::vector<PrintedCell> cells;
    const char* colour;
    const char* plain;
  } cases[] = {
      {{}, "\n", "\n"},
      {{white_blank, white_blank}, "\x1b[38;2;0;0;0;48;2;255;255;255m  \x1b[0m\n", "  \n"},
      {{red_digit, red_digit2, red_blank},
       "\x1b[38;2;255;255;0;48;2;255;0;0m12 \x1b[0m\n", "12 \n"},
      {{white_blank, red_blank, red_digit},
       "\x1b[38;2;0;0;0;48;2;255;255;255m \x1b[38;2;0;0;0;48;2;255;0;0m "
       "\x1b[38;2;255;255;0;48;2;255;0;0m1\x1b[0m\n",
       "  1\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PrintedLine(c.cells, true), c.colour);
    EXPECT_EQ(PrintedLine(c.cells, false), c.plain);
  }
}

}  // namespace

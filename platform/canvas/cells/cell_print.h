// Printing a window as text: a front end with no screen and no input whose windows paint on
// character cells, one cell for each pixel as in the terminal, so that a command can paint a
// window once and print what its client area shows, row by row, with 24-bit colours or
// without. It takes no one-instance lock and leaves the terminal alone.
//
// Example:
//   StartCellPrinter();
//   HWND window = CreateWindowExW(0, class_name, u"", WS_VISIBLE, 0, 0, 21, 24, ...);
//   UpdateWindow(window);                       // the window paints its 21 x 24 cells
//   std::string line = PrintedLine(PrintedRow(window, 1), /*colour=*/true);
//   DestroyWindow(window);
//   FinishCellPrinter();
#pragma once

#include <string>
#include <vector>

#include "platform/canvas/colours.h"
#include "platform/ui/win_types.h"
#include "platform/ui/window.h"

// One cell: its glyph (a character and up to two combining marks; empty for the right half
// of a glyph two cells wide) and its colours.
struct PrintedCell {
  std::u32string text;
  Rgb foreground{};
  Rgb background{};
};

// Installs the printing backend. Glyphs are Unicode when the locale's character set
// (LC_ALL, LC_CTYPE, LANG) is UTF-8, else plain ASCII with '?' for what ASCII lacks.
void StartCellPrinter();

// Removes the printing backend.
void FinishCellPrinter();

// Row y of the window's client area as last painted; empty when there is no such row.
std::vector<PrintedCell> PrintedRow(HWND window, int y);

// The cells as one line of UTF-8 text ended by "\n". With `colour`, each run of cells of one
// pair of colours is preceded by ESC[38;2;R;G;B;48;2;R;G;Bm and the line ends with ESC[0m
// before its newline; without, the text alone.
std::string PrintedLine(const std::vector<PrintedCell>& cells, bool colour);

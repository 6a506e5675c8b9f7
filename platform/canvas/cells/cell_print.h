// Printing a picture as text: a canvas of character cells, one cell for each pixel as in the
// terminal, so that a command can paint once and print what the canvas shows, row by row,
// with 24-bit colours or without. It takes no one-instance lock and leaves the terminal alone.
//
// Example:
//   std::unique_ptr<Canvas> page = MakePrintCanvas(21, 24);
//   PaintSomething(*page);
//   std::string line = PrintedLine(PrintedRow(*page, 1), /*colour=*/true);
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/canvas/canvas.h"
#include "platform/canvas/colours.h"

// One cell: its glyph (a character and up to two combining marks; empty for the right half
// of a glyph two cells wide) and its colours.
struct PrintedCell {
  std::u32string text;
  Rgb foreground{};
  Rgb background{};
};

// A white canvas of width x height character cells to print; nullptr when it cannot be made.
// Glyphs are Unicode when the locale's character set (LC_ALL, LC_CTYPE, LANG) is UTF-8, else
// plain ASCII with '?' for what ASCII lacks.
std::unique_ptr<Canvas> MakePrintCanvas(int width, int height);

// Row y of a canvas that MakePrintCanvas made; empty when there is no such row.
std::vector<PrintedCell> PrintedRow(const Canvas& page, int y);

// The cells as one line of UTF-8 text ended by "\n". With `colour`, each run of cells of one
// pair of colours is preceded by ESC[38;2;R;G;B;48;2;R;G;Bm and the line ends with ESC[0m
// before its newline; without, the text alone.
std::string PrintedLine(const std::vector<PrintedCell>& cells, bool colour);

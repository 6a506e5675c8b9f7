// Where the terminal puts what is not the client area: the soft-key bar on the last row,
// the popup of a soft key, and message boxes. Pure geometry in cells, so that a terminal of
// any size, down to one cell, gets a layout that stays on the screen.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas/cells/cell_text.h"

// One label of the soft-key bar: its glyphs, cut to fit, starting at column `left`.
struct BarLabel {
  GlyphLine glyphs;
  int left = 0;
};
struct BarLayout {
  BarLabel left;
  BarLabel right;
  int split = 0;  // columns before `split` press the left key, the others the right key
};
// Lays out the two labels on a bar `columns` wide: the left label at the left edge, the
// right one against the right edge; when both do not fit, each gets half the bar.
BarLayout LayOutBar(std::u16string_view left, std::u16string_view right, int columns);

// A box on the screen above the bar: the rectangle with its border, and the lines inside.
struct BoxLayout {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool border = false;    // a frame of box-drawing characters around the lines
  int padding = 0;        // blank columns between the frame and the lines
  int visible_lines = 0;  // lines that fit inside
  std::vector<GlyphLine> lines;
  GlyphLine caption;  // cut to fit the top border (empty without a border)
};

// The widest a message box's lines may be, in cells, on an area of `columns` x `rows`.
int MessageTextLimit(int columns, int rows);

// A message box centred on an area of `columns` x `rows` cells, holding `lines` (the text
// wrapped to MessageTextLimit), as wide as its longest line or its caption, the caption in
// the top border. The box never leaves the area; lines beyond visible_lines scroll.
BoxLayout LayOutMessageBox(const std::vector<std::u16string>& lines, std::u16string_view caption,
                           int columns, int rows);

// The popup of soft key `key` (1 left, 2 right) holding `items`, numbered "1 ", "2 "...:
// just above the bar (the bottom of an area of `rows`), at the key's side.
BoxLayout LayOutPopup(const std::vector<std::u16string>& items, int key, int columns, int rows);

// The item of a popup at cell (x, y), -1 when none is.
int PopupItemAt(const BoxLayout& popup, int x, int y);

// Glyphs of `line` that fit in `width` cells, a wide glyph that would be cut left out.
GlyphLine FitGlyphs(const GlyphLine& line, int width);

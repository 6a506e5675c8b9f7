// The cell canvas: the drawing surface of the terminal, where one character cell is one
// pixel of the client area. A fill colours cell backgrounds and clears their glyphs; a
// centred text puts its glyphs on the row through the middle of the rectangle, each glyph
// on a box of the background colour; a block copy copies cells. A wide glyph (two cells) is
// never split: where an edge would cut one, both of its cells become blank.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/canvas/canvas.h"
#include "platform/canvas/canvas_box.h"

struct Cell {
  enum class Part : std::uint8_t {
    kSingle,    // a glyph one cell wide, or a blank
    kWideLead,  // the left cell of a wide glyph; the cell to its right is its kWideTail
    kWideTail,  // the right cell of a wide glyph; draws nothing by itself
  };
  std::array<char32_t, 3> text{U' ', 0, 0};  // base character, then up to two marks
  Rgb foreground{};
  Rgb background{};
  Part part = Part::kSingle;

  bool operator==(const Cell&) const = default;
};

class CellCanvas final : public Canvas {
 public:
  // A canvas of width x height blank cells, black (sides clamped to 0 and above).
  CellCanvas(int width, int height);

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  CanvasMaker Maker() const override;

  void Fill(const Rect& rect, Rgb colour) override;
  // The text row is top + height / 2; its first cell is left + (width - text) / 2.
  // Returns 1, the height of a line of text in cells.
  int DrawTextCentred(const Rect& rect, std::u16string_view text, Rgb foreground,
                      Rgb background) override;
  // The cells of the line's glyphs, from the first to the last that is not blank.
  Rect TextInk(const Rect& rect, std::u16string_view text, Rgb foreground, Rgb background) override;
  bool HoldsCharacters() const override { return true; }
  void Blit(int x, int y, int width, int height, const Canvas& source, int sx, int sy) override;

  // The cell at (x, y), which must lie on the canvas.
  const Cell& At(int x, int y) const {
    return cells_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                  static_cast<std::size_t>(x)];
  }

 private:
  CanvasBox Bounds() const { return CanvasBox{0, 0, width_, height_}; }
  Cell* Row(int y) { return cells_.data() + static_cast<std::ptrdiff_t>(y) * width_; }
  // Blanks the halves of wide glyphs that writing cells [left, right) of row y would cut.
  void Unsplit(int y, int left, int right);

  int width_;
  int height_;
  std::vector<Cell> cells_;
};

// Makes a cell canvas (the terminal's CanvasMaker); nullptr for a negative side.
std::unique_ptr<Canvas> MakeCellCanvas(int width, int height);

// The canvas everything is drawn on: a rectangle of picture elements that can be filled,
// carry one line of centred text on an opaque box, and take a block copied from another
// canvas of the same kind. The front ends supply the kind: pixels (SDL surfaces,
// platform/canvas/pixels/pixel_canvas.h) for the desktop window and the headless runner,
// character cells (platform/canvas/cells/cell_canvas.h) for a terminal and the month printed
// as text. The program's window keeps its client area as one (platform/ui/program_window.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/canvas/colours.h"
#include "platform/canvas/geometry.h"

class Canvas;

// Makes a canvas of width x height of one kind, initially black; nullptr when it cannot.
using CanvasMaker = std::unique_ptr<Canvas> (*)(int width, int height);

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The maker of canvases of this kind (what MakeCanvasLike uses).
  virtual CanvasMaker Maker() const = 0;

  // Fills rect, clipped to the canvas, with one colour.
  virtual void Fill(const Rect& rect, Rgb colour) = 0;

  // Draws one line of text centred both ways in rect on an opaque box of colour `background`
  // the size of the text's extent; everything is clipped to rect and to the canvas. Returns
  // the height of the text line, 0 when no text can be drawn (no font).
  virtual int DrawTextCentred(const Rect& rect, std::u16string_view text, Rgb foreground,
                              Rgb background) = 0;

  // The smallest box holding what DrawTextCentred would draw of the text's glyphs in rect
  // (not of its opaque box), before clipping; drawing nothing. Empty (right <= left) when no
  // glyph would show. The colours are those the text is about to be drawn in, so that a
  // canvas may keep what it makes for the drawing to come.
  virtual Rect TextInk(const Rect& rect, std::u16string_view text, Rgb foreground,
                       Rgb background) = 0;

  // Whether a picture element is a character cell: it holds a glyph, and a shape drawn in
  // elements this coarse would not read as a shape.
  virtual bool HoldsCharacters() const { return false; }

  // Copies width x height from (sx, sy) of `source` to (x, y) of this canvas. Where the
  // block reaches beyond the source, the source has no picture: those places become white.
  // A source of another kind is treated as all white.
  virtual void Blit(int x, int y, int width, int height, const Canvas& source, int sx, int sy) = 0;
};

// The most picture elements an off-screen canvas may have: 64 Mi, far beyond any screen.
constexpr std::int64_t kMaxCanvasElements = std::int64_t{1} << 26;

// An off-screen canvas of the kind of `like`, width x height, initially black; nullptr for a
// negative side, more than kMaxCanvasElements, or when it cannot be made.
inline std::unique_ptr<Canvas> MakeCanvasLike(const Canvas& like, int width, int height) {
  if (width < 0 || height < 0 || std::int64_t{width} * height > kMaxCanvasElements) return nullptr;
  const CanvasMaker maker = like.Maker();
  return maker != nullptr ? maker(width, height) : nullptr;
}

// The drawing surface behind every device context: a rectangle of picture elements that can
// be filled, carry one line of centred text on an opaque box, and take a block copied from
// another canvas of the same kind. Backends supply the kind: pixels (SDL surfaces) for the
// desktop window and the headless runner, character cells for a terminal. Platform-internal:
// the system's code sees only HDC and HBITMAP (platform/gdi.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/win_types.h"

class Canvas;

// Makes a canvas of width x height of one kind, initially black; nullptr when it cannot.
using CanvasMaker = std::unique_ptr<Canvas> (*)(int width, int height);

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // The maker of canvases of this kind (what CreateCompatibleBitmap uses).
  virtual CanvasMaker Maker() const = 0;

  // Fills rect, clipped to the canvas, with one colour.
  virtual void Fill(const RECT& rect, COLORREF colour) = 0;

  // Draws one line of text centred both ways in rect on an opaque box of colour `background`
  // the size of the text's extent; everything is clipped to rect and to the canvas. Returns
  // the height of the text line, 0 when no text can be drawn (no font).
  virtual int DrawTextCentred(const RECT& rect, std::u16string_view text, COLORREF foreground,
                              COLORREF background) = 0;

  // The smallest box holding what DrawTextCentred would draw of the text's glyphs in rect
  // (not of its opaque box), before clipping; drawing nothing. Empty (right <= left) when no
  // glyph would show. The colours are those the text is about to be drawn in, so that a
  // canvas may keep what it makes for the drawing to come.
  virtual RECT TextInk(const RECT& rect, std::u16string_view text, COLORREF foreground,
                       COLORREF background) = 0;

  // Whether a picture element is a character cell: it holds a glyph, and a shape drawn in
  // elements this coarse would not read as a shape.
  virtual bool HoldsCharacters() const { return false; }

  // Copies width x height from (sx, sy) of `source` to (x, y) of this canvas. Where the
  // block reaches beyond the source, the source has no picture: those places become white.
  // A source of another kind is treated as all white.
  virtual void Blit(int x, int y, int width, int height, const Canvas& source, int sx,
                    int sy) = 0;
};

// The pixel kind: 32-bit surfaces that need no display.
std::unique_ptr<Canvas> MakePixelCanvas(int width, int height);

// For backends and tests of the pixel kind: the colour at (x, y), CLR_INVALID-like
// 0xFFFFFFFF when the canvas is not a pixel canvas or the point lies outside it.
COLORREF PixelAt(const Canvas& canvas, int x, int y);

// A pixel canvas's picture, for reading it whole (a backend uploading it to the screen).
// `height` rows of `width` pixels; each pixel is one 32-bit word 0x00RRGGBB in the machine's
// byte order (XRGB8888, the top byte unused); row y begins y * pitch bytes after `pixels`.
// Valid until the canvas is drawn on or destroyed.
struct PixelRows {
  const std::uint32_t* pixels = nullptr;
  int pitch = 0;  // bytes from the start of one row to the start of the next
  int width = 0;
  int height = 0;
};

// The picture of a pixel canvas; nothing for a canvas of another kind.
std::optional<PixelRows> ReadPixelRows(const Canvas& canvas);

// Draws one line of text at `font_size` pixels with its box's top left corner at (x, y), on an
// opaque box of `background`, clipped to `clip` and to the canvas (what a backend's own bar
// and boxes need beside DrawTextCentred). Returns the width of the text, 0 when nothing can
// be drawn (no font, empty text, a canvas of another kind).
int DrawTextLineAt(Canvas& canvas, int x, int y, const RECT& clip, std::u16string_view text,
                   int font_size, COLORREF foreground, COLORREF background);

// Writes a pixel canvas as a PNG file; false (with *error set) when it cannot.
bool SavePixelCanvasPng(const Canvas& canvas, const char* path, std::string* error);

// Reads a PNG file into a pixel canvas (tests that look at shots); nullptr, with *error set,
// when it cannot.
std::unique_ptr<Canvas> LoadPixelCanvasPng(const char* path, std::string* error);

// Releases the fonts and renderings that text drawing keeps between paints. Called at exit;
// drawing text again afterwards opens them anew.
void ReleaseTextResources();

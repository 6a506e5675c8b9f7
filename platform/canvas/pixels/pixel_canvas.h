// Pixel canvases: 32-bit SDL surfaces that need no display, with text in the default
// sans-serif face. The kind of canvas of the desktop window and the headless runner; only they
// (and tests) link it, so the window stack is loaded by the modes that draw pixels alone.
// Platform-internal.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/canvas/canvas.h"

// The pixel kind: 32-bit surfaces that need no display.
std::unique_ptr<Canvas> MakePixelCanvas(int width, int height);

// For backends and tests of the pixel kind: the colour at (x, y); nullopt when the canvas is
// not a pixel canvas or the point lies outside it.
std::optional<Rgb> PixelAt(const Canvas& canvas, int x, int y);

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
int DrawTextLineAt(Canvas& canvas, int x, int y, const Rect& clip, std::u16string_view text,
                   int font_size, Rgb foreground, Rgb background);

// Writes a pixel canvas as PNG to the descriptor `fd` (left open); false with *error set
// when it cannot, a write that failed (a full disk, a file-size limit) included.
bool WritePixelCanvasPng(const Canvas& canvas, int fd, std::string* error);

// Reads a PNG file into a pixel canvas (tests that look at shots); nullptr, with *error set,
// when it cannot.
std::unique_ptr<Canvas> LoadPixelCanvasPng(const char* path, std::string* error);

// Frees the renderings and closes the fonts that text drawing keeps between paints, all
// made for the sizes of the text drawn so far: for a window whose size, and so every text
// size, has just changed, where a large window's would otherwise stay.
void DropCachedText();

// Releases the fonts and renderings that text drawing keeps between paints. Called at exit;
// drawing text again afterwards opens them anew.
void ReleaseTextResources();

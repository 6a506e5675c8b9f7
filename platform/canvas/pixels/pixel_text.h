// Text for pixel canvases in any script: fontconfig's default sans-serif face, and after it
// the faces that fontconfig picks for the characters it lacks (font_set.h); a line is drawn
// in runs, each in the face that has its characters (font_runs.h). Faces are opened once per
// pixel size, and a bounded cache of rendered lines makes repainting the same texts cost only
// copies. Platform-internal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/canvas/colours.h"
#include "platform/text/unicode.h"

// One rendered line: its opaque box in 32-bit XRGB pixels, `pitch` pixels a row. Width 0 for
// empty text (the height is then still the line height).
struct TextImage {
  int width = 0;
  int height = 0;
  int pitch = 0;
  const std::uint32_t* pixels = nullptr;
};

// The font's pixel size for text drawn in a rectangle `rect_height` pixels high.
int FontSizeForHeight(std::int64_t rect_height);

// Renders `text` at `font_size` in `foreground` on a box of `background`. The image stays
// valid until the next call. False when no font can be opened.
bool RenderTextLine(std::u16string_view text, int font_size, Rgb foreground, Rgb background,
                    TextImage* image);

// The characters of `text` that would be drawn as missing-glyph boxes at `font_size`: those
// that the face chosen for them lacks (no installed face has them). Controls and joiners,
// which draw nothing, are not counted. Every character when no font can be opened.
std::u32string MissingGlyphs(std::u16string_view text, int font_size);

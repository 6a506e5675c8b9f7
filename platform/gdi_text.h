// Text for pixel canvases: the default sans-serif face (found by fontconfig), opened once per
// pixel size, and a bounded cache of rendered lines so that repainting the same texts costs
// only copies. Platform-internal.
#pragma once

#include "platform/unicode.h"
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/win_types.h"

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
bool RenderTextLine(std::u16string_view text, int font_size, COLORREF foreground,
                    COLORREF background, TextImage* image);


// What the desktop window draws around and over the month view, as the modal layer
// (platform/ui/modal.h) has them: the soft-key bar below the client area, the popup menu of a
// soft key above it, and message boxes over the client area (a caption band, then the lines
// of the text from the first one shown, and a scroll bar when they do not all fit). Sizes
// are given in units of a 240-pixel-wide screen and multiplied by the window's scale `ui`
// (drawable pixels per unit), so the bar and the boxes grow with the month view. Everything
// is drawn on the frame, a pixel canvas. Internal to the desktop backend.
#pragma once

#include <SDL.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas/canvas.h"
#include "platform/ui/modal.h"

// Drawable pixels for `units` at scale `ui`; at least 1.
int ScaledPixels(float ui, int units);

// --- soft-key bar --------------------------------------------------------------------------

int SoftKeyBarHeight(float ui);
// The key held open by its popup is drawn pressed.
void DrawSoftKeyBar(Canvas& frame, const SDL_Rect& bar, const SoftKeyBarLabels& labels, float ui);
// The key under (x, y): 1 in the bar's left half, 2 in its right half, 0 outside the bar.
int SoftKeyAt(const SDL_Rect& bar, int x, int y);

// --- popup menu ----------------------------------------------------------------------------

using MenuItems = std::vector<std::u16string>;

// Where the popup goes: at the left edge, its bottom on the bar's top (client_height), wide
// enough for its longest item, within the client area.
SDL_Rect PopupArea(const MenuItems& items, int client_width, int client_height, float ui);
// Draws the items, numbered, item `highlighted` lit.
void DrawPopup(Canvas& frame, const SDL_Rect& area, const MenuItems& items, int highlighted,
               float ui);
// The item (0-based) under (x, y); -1 when none.
int PopupItemAt(const SDL_Rect& area, const MenuItems& items, int x, int y, float ui);

// --- message box ---------------------------------------------------------------------------

struct MessageBoxLayout {
  SDL_Rect area{};     // the whole box: the client area
  SDL_Rect caption{};  // the caption band
  SDL_Rect text{};     // where the lines go
  int font_size = 0;
  int caption_font_size = 0;
  int line_height = 1;
  int visible_lines = 1;  // whole lines the text area holds, at least 1
};

MessageBoxLayout LayoutMessageBox(int client_width, int client_height, float ui);
// The width of a piece of the box's text in pixels, for wrapping it to layout.text.w.
TextMeasure MessageTextMeasure(const MessageBoxLayout& layout);
// Draws the box with line `first_line` at the top of the text area, and a scroll bar when
// the lines do not all fit.
void DrawMessageBox(Canvas& frame, const MessageBoxLayout& layout, std::u16string_view caption,
                    const std::vector<std::u16string>& lines, int first_line, float ui);

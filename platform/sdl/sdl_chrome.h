// What the desktop window draws around and over the month view: the soft-key bar below the
// client area, the popup menu of a soft key above it, and message boxes over the client area
// (a caption band, then the text, word-wrapped and scrolled by whole lines). Sizes are given
// in units of a 240-pixel-wide screen and multiplied by the window's scale `ui` (drawable
// pixels per unit), so the bar and the boxes grow with the month view. Everything is drawn
// on the frame, a pixel canvas. Internal to the desktop backend.
#pragma once

#include <SDL.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"

// Drawable pixels for `units` at scale `ui`; at least 1.
int ScaledPixels(float ui, int units);

// --- soft-key bar --------------------------------------------------------------------------

struct SoftKeyLabels {
  std::u16string left;
  std::u16string right;
  bool left_open = false;  // the left key's popup is open
};

int SoftKeyBarHeight(float ui);
void DrawSoftKeyBar(Canvas& frame, const SDL_Rect& bar, const SoftKeyLabels& labels,
                    float ui);
// The key under (x, y): 1 in the bar's left half, 2 in its right half, 0 outside the bar.
int SoftKeyAt(const SDL_Rect& bar, int x, int y);

// --- popup menu ----------------------------------------------------------------------------

struct PopupMenu {
  std::vector<std::u16string> items;
  int highlighted = 0;
};

// Where the popup goes: at the left edge, its bottom on the bar's top (client_height), wide
// enough for its longest item, within the client area.
SDL_Rect PopupArea(const PopupMenu& menu, int client_width, int client_height, float ui);
void DrawPopup(Canvas& frame, const SDL_Rect& area, const PopupMenu& menu, float ui);
// The item (0-based) under (x, y); -1 when none.
int PopupItemAt(const SDL_Rect& area, const PopupMenu& menu, int x, int y, float ui);

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
// The box's text broken into lines that fit the layout's text width.
std::vector<std::u16string> WrapMessageText(std::u16string_view text,
                                            const MessageBoxLayout& layout);
// The largest first line for `line_count` lines: the last line then ends the text area.
int LastFirstLine(const MessageBoxLayout& layout, std::size_t line_count);
// Draws the box with line `first_line` at the top of the text area, and a scroll bar when
// the lines do not all fit.
void DrawMessageBox(Canvas& frame, const MessageBoxLayout& layout,
                    std::u16string_view caption, const std::vector<std::u16string>& lines,
                    int first_line, float ui);

// The desktop window's kind of canvas and the few drawing helpers its soft-key bar, popup and
// message boxes use. A desktop canvas is one 32-bit XRGB SDL surface that the backend uploads
// to the window's texture as it is, so a painted picture reaches the screen in one copy. It
// draws exactly as the pixel canvas does (same fills, same centred text, same block copies).
// Internal to the desktop backend (platform/sdl).
#pragma once

#include <SDL.h>

#include <memory>
#include <string_view>

#include "platform/canvas.h"

// Makes a desktop canvas of width x height, black; nullptr when it cannot.
std::unique_ptr<Canvas> MakeDesktopCanvas(int width, int height);

// The surface of a desktop canvas; nullptr for a canvas of another kind.
const SDL_Surface* DesktopCanvasSurface(const Canvas& canvas);

// Fills `area` (clipped to the surface) with one colour.
void FillArea(SDL_Surface* surface, const SDL_Rect& area, COLORREF colour);

// Draws one line of text at `font_size` pixels with its box's top left corner at (x, y), on
// an opaque box of `background`, clipped to `clip` and the surface. Returns the text's width.
int DrawTextAt(SDL_Surface* surface, int x, int y, const SDL_Rect& clip, std::u16string_view text,
               int font_size, COLORREF foreground, COLORREF background);

// The width of `text` drawn at `font_size`; 0 when no font can be opened.
int TextWidth(std::u16string_view text, int font_size);

// The height of one line of text at `font_size`.
int LineHeight(int font_size);

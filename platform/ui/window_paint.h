// A window's paint cycle: the canvas of its client area to draw the next picture on, and the
// word that the picture is finished, so that the front end presents it. What is drawn, and
// how, is the canvas's (platform/canvas/canvas.h): rectangles, fills, centred text and block
// copies, in RGB colours.
//
// Example:
//   Canvas* screen = nullptr;
//   if (BeginWindowPaint(window, &screen)) {
//     if (screen != nullptr) screen->Fill(Rect{0, 0, 10, 10}, kBlue);
//     EndWindowPaint(window);
//   }
#pragma once

#include "platform/canvas/canvas.h"
#include "platform/ui/window.h"

// Starts painting `window`: its pending paint request is consumed and *screen becomes the
// canvas of its client area, nullptr for a window that has none (then nothing can be drawn,
// yet the paint is done). False, changing nothing, for what is not a live window.
bool BeginWindowPaint(HWND window, Canvas** screen);

// Ends a paint that BeginWindowPaint started: the client canvas holds a new picture.
void EndWindowPaint(HWND window);

// Whether the canvases of the front end that runs are of character cells (a terminal), where
// a point names a whole character rather than a pixel.
bool ScreenHoldsCharacters();

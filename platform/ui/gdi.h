// Drawing: the paint cycle of a window, off-screen drawing targets with their surfaces,
// solid brushes, single-line text centred in a rectangle on an opaque box, and the block
// copy that puts a finished picture on the window in one step. Coordinates are client
// pixels; a rectangle covers left <= x < right and top <= y < bottom; everything drawn is
// clipped to the target's surface.
#pragma once

#include "platform/ui/win_types.h"
#include "platform/ui/window.h"

struct DeviceContext;
using HDC = DeviceContext*;
using HBITMAP = GdiObject*;

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Opens the window's paint cycle; the returned target draws onto the window's pixels.
// The pending paint request is consumed.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// An off-screen target of the same kind as `target` (any, or nullptr for the screen's);
// it draws nowhere until a surface is selected into it.
HDC CreateCompatibleDC(HDC target);
// A surface of width x height pixels in the format of `target`, initially black.
HBITMAP CreateCompatibleBitmap(HDC target, int width, int height);
// Makes `object` (a surface or brush) the target's current one; returns the previous one.
HGDIOBJ SelectObject(HDC target, HGDIOBJ object);
BOOL DeleteObject(HGDIOBJ object);  // objects still selected are released with their target
BOOL DeleteDC(HDC target);

// Return the previous colour.
COLORREF SetBkColor(HDC target, COLORREF colour);
COLORREF SetTextColor(HDC target, COLORREF colour);

HBRUSH CreateSolidBrush(COLORREF colour);
int FillRect(HDC target, const RECT* rect, HBRUSH brush);

// Draws `count` UTF-16 units of text (-1: up to the terminator) in rect. The one layout
// offered is DT_SINGLELINE | DT_CENTER | DT_VCENTER (DT_NOPREFIX may be added; '&' is never
// special): one line centred both ways, on an opaque box of the background colour the size
// of the text's extent, clipped to rect. The font is the default sans-serif face, its pixel
// size following the height of rect. Returns the text height; 0, drawing nothing, for any
// other layout, bad arguments, or a target without a surface.
int DrawTextW(HDC target, const char16_t* text, int count, RECT* rect, UINT format);

// Where DrawTextW would put the glyphs of `count` units of text (-1: up to the terminator)
// centred in rect on this target: *ink becomes the smallest box of the pixels (or character
// cells) they would colour, not clipped, so that a caller can draw beside text without
// touching it. Draws nothing. FALSE for bad arguments or a target without a surface; TRUE
// with an empty box (right <= left) when no glyph would show.
BOOL GetTextInkBox(HDC target, const char16_t* text, int count, const RECT* rect, RECT* ink);

// GetDeviceCaps with TECHNOLOGY tells what the target's picture is made of: DT_RASDISPLAY,
// pixels; DT_CHARSTREAM, character cells (a terminal), which take glyphs but no shapes.
constexpr int TECHNOLOGY = 2;
constexpr int DT_RASDISPLAY = 1;
constexpr int DT_CHARSTREAM = 4;
// The capability `index` of the target; 0 for an index not offered or a bad target.
int GetDeviceCaps(HDC target, int index);

// Copies width x height pixels from (sx, sy) of source to (x, y) of target (SRCCOPY only).
// Where the block reaches beyond the source's surface there are no source pixels: those
// target pixels become white.
BOOL BitBlt(HDC target, int x, int y, int width, int height, HDC source, int sx, int sy,
            DWORD operation);

// The window system: window classes and windows, their procedures, paint requests, message
// boxes handed to the program's loop, and icons.
// It offers what Cyclune's shell relies on, under the platform's names and numbers, and
// runs on one of several backends (headless, desktop window, terminal) that the front end
// installs at start (platform/ui/window_backend.h). Everything runs on one thread.
#pragma once

#include <vector>

#include "platform/canvas/canvas.h"
#include "platform/dates/civil_day.h"
#include "platform/ui/events.h"
#include "platform/ui/message_box.h"
#include "platform/ui/win_types.h"

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
struct IconObject;
using HICON = IconObject*;
struct CursorObject;
using HCURSOR = CursorObject*;
struct GdiObject;
using HGDIOBJ = GdiObject*;
using HBRUSH = GdiObject*;
using HMENU = void*;

// Messages.
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
// Our extension, in the application's range: another process (a reminder) asked this instance
// over its socket to record a period; wParam is the day, RecordPeriodRequestParam(day).
constexpr UINT WM_RECORD_PERIOD_REQUEST = 0x8001;

// The day of WM_RECORD_PERIOD_REQUEST as year x 10000 + month x 100 + day, and back.
constexpr WPARAM RecordPeriodRequestParam(CivilDay day) {
  return static_cast<WPARAM>(day.year()) * 10000 + static_cast<WPARAM>(day.month()) * 100 +
         static_cast<WPARAM>(day.day());
}
constexpr CivilDay RecordPeriodRequestDay(WPARAM param) {
  return CivilDay(static_cast<std::int64_t>(param / 10000),
                  static_cast<std::int32_t>(param / 100 % 100),
                  static_cast<std::int32_t>(param % 100));
}

// Mouse key state in the wParam of mouse messages.
constexpr WPARAM MK_LBUTTON = 0x0001;

// Class and window styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);
constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWNORMAL = 1;

// Stock objects.
constexpr int WHITE_BRUSH = 0;

struct WNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra;
  int cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  const char16_t* lpszMenuName;
  const char16_t* lpszClassName;
};

// --- classes and windows -----------------------------------------------------------------

// Registers a window class; returns its atom, 0 when the name is taken or the class invalid.
ATOM RegisterClassW(const WNDCLASSW* window_class);

// Creates a top-level window of a registered class. WM_CREATE is sent (the procedure runs
// synchronously) before this returns and before the window is first shown; returns nullptr
// when the class is unknown or the procedure returns -1 for WM_CREATE.
HWND CreateWindowExW(DWORD ex_style, const char16_t* class_name, const char16_t* title, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE instance, void* param);

// Shows the window on its backend; the first call presents it.
BOOL ShowWindow(HWND window, int show_command);

// Paints the window now (sends WM_PAINT) when a paint is pending.
BOOL UpdateWindow(HWND window);

// Sends WM_DESTROY to the window, then frees it.
BOOL DestroyWindow(HWND window);

// The client area as last painted; nullptr when `window` is not a window.
const Canvas* ClientCanvas(HWND window);

// Whether a paint of the window is due (InvalidateRect) and UpdateWindow would paint it.
bool PaintPending(HWND window);

// Fills *rect with the client rectangle (left and top are 0).
BOOL GetClientRect(HWND window, Rect* rect);

// --- messages ------------------------------------------------------------------------------

// Calls the window's procedure with the message now. There is no queue: the program's loop
// (app/event_loop.h) hands each event to the calendar as it comes.
LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Requests a repaint of the whole client area (rect == nullptr) or a part of it; requests
// coalesce into one WM_PAINT. The erase flag is accepted and ignored: paints never erase.
BOOL InvalidateRect(HWND window, const Rect* rect, BOOL erase);

// --- the caret ------------------------------------------------------------------------------

// The caret marks where the keyboard's attention lies in a window's client area, such as the
// selected entry of a grid; screen readers and braille displays follow it. There is one at a
// time: CreateCaret gives it to `window` as a width x height box at (0, 0) (`bitmap` must be
// nullptr), replacing any other; it goes with DestroyCaret or with its window. It is never
// drawn over the picture: a front end that can show a place to assistive technology (a
// terminal's cursor) puts that there.
BOOL CreateCaret(HWND window, HGDIOBJ bitmap, int width, int height);
// Moves the caret's box to client point (x, y); FALSE when there is no caret.
BOOL SetCaretPos(int x, int y);
BOOL DestroyCaret();

// --- resources ------------------------------------------------------------------------------

HICON LoadIconW(HINSTANCE instance, const char16_t* name);
inline const char16_t* MAKEINTRESOURCEW(UINT id) {
  return reinterpret_cast<const char16_t*>(static_cast<std::uintptr_t>(id));
}
HGDIOBJ GetStockObject(int object);

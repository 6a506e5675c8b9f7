// The window system: window classes and windows, the message queue, paint requests, the
// quit request, modal message boxes, the string table and the soft-key bar with its menus.
// It offers what Cyclune's shell relies on, under the platform's names and numbers, and
// runs on one of several backends (headless, desktop window, terminal) that the front end
// installs at start (platform/ui/window_backend.h). Everything runs on one thread.
#pragma once

#include "platform/canvas/colours.h"
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
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
// Our extension, in the application's range: another process (a reminder) asked this instance
// over its socket to record a period; wParam is the day, RecordPeriodRequestParam(day).
constexpr UINT WM_RECORD_PERIOD_REQUEST = 0x8001;

// The day of WM_RECORD_PERIOD_REQUEST as year x 10000 + month x 100 + day, and back (date
// fields only, wDayOfWeek left 0).
constexpr WPARAM RecordPeriodRequestParam(const SYSTEMTIME& day) {
  return WPARAM{day.wYear} * 10000 + WPARAM{day.wMonth} * 100 + day.wDay;
}
constexpr SYSTEMTIME RecordPeriodRequestDay(WPARAM param) {
  return SYSTEMTIME{static_cast<WORD>(param / 10000),
                    static_cast<WORD>(param / 100 % 100),
                    0,
                    static_cast<WORD>(param % 100),
                    0,
                    0,
                    0,
                    0};
}

// Virtual key codes. Digits and letters are their upper-case characters ('0' 0x30, 'A' 0x41).
constexpr UINT VK_BACK = 0x08;
constexpr UINT VK_TAB = 0x09;
constexpr UINT VK_RETURN = 0x0D;
constexpr UINT VK_ESCAPE = 0x1B;
constexpr UINT VK_SPACE = 0x20;
constexpr UINT VK_PRIOR = 0x21;  // Page Up
constexpr UINT VK_NEXT = 0x22;   // Page Down
constexpr UINT VK_END = 0x23;
constexpr UINT VK_HOME = 0x24;
constexpr UINT VK_LEFT = 0x25;
constexpr UINT VK_UP = 0x26;
constexpr UINT VK_RIGHT = 0x27;
constexpr UINT VK_DOWN = 0x28;
constexpr UINT VK_INSERT = 0x2D;
constexpr UINT VK_DELETE = 0x2E;
constexpr UINT VK_F1 = 0x70;
constexpr UINT VK_F2 = 0x71;
constexpr UINT VK_F12 = 0x7B;

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

// Message boxes.
constexpr UINT MB_OK = 0x00000000;
constexpr int IDOK = 1;

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

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

// What WM_CREATE carries in its lParam: the arguments of CreateWindowExW (cx, cy: the
// client size the window was given).
struct CREATESTRUCTW {
  void* lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  const char16_t* lpszName;
  const char16_t* lpszClass;
  DWORD dwExStyle;
};

// The soft-key bar request: cbSize 36 as on the platform; nToolBarId names the MenuBarResource.
struct SHMENUBARINFO {
  DWORD cbSize;
  HWND hwndParent;
  DWORD dwFlags;
  UINT nToolBarId;
  HINSTANCE hInstRes;
  int nBmpId;
  int cBmpImages;
  HWND hwndMB;
  Rgb clrBk;
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

// Sends WM_DESTROY to the window (and destroys its soft-key bar if it owns one), then frees it.
BOOL DestroyWindow(HWND window);

// Finds a top-level window with this class and title: one of this process, or, when the
// front end keeps to one instance per settings folder, the window of the instance already
// running (a stand-in handle that only SetForegroundWindow accepts; also given when the
// instance lock cannot be had, so that the start ends). nullptr when there is none.
HWND FindWindowW(const char16_t* class_name, const char16_t* title);

// Brings the window forward. The low bit of the handle may be set, as the platform allows.
BOOL SetForegroundWindow(HWND window);

// Fills *rect with the client rectangle (left and top are 0).
BOOL GetClientRect(HWND window, RECT* rect);

// --- messages ------------------------------------------------------------------------------

// Waits for the next message. Returns 0 for WM_QUIT (also, with code 0, when the backend's
// input has ended), non-zero otherwise (-1 on error). Posted messages come first, then the
// quit request, then a pending paint as WM_PAINT; input is awaited only when none is there.
BOOL GetMessageW(MSG* msg, HWND window, UINT min_filter, UINT max_filter);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
BOOL PostMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
void PostQuitMessage(int exit_code);
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Requests a repaint of the whole client area (rect == nullptr) or a part of it; requests
// coalesce into one WM_PAINT. The erase flag is accepted and ignored: paints never erase.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);

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

// --- resources, message boxes, shell -------------------------------------------------------

// Copies string `id` of the module into buffer (at most capacity - 1 units and a
// terminator); returns the number of units copied without the terminator, 0 if absent.
int LoadStringW(HINSTANCE instance, UINT id, char16_t* buffer, int capacity);
HICON LoadIconW(HINSTANCE instance, const char16_t* name);
inline const char16_t* MAKEINTRESOURCEW(UINT id) {
  return reinterpret_cast<const char16_t*>(static_cast<std::uintptr_t>(id));
}
HGDIOBJ GetStockObject(int object);

// Shows a modal message box with an OK button and returns IDOK once it is closed.
// The owner's paints are held while it is open; the owner is repainted after it closes.
int MessageBoxW(HWND owner, const char16_t* text, const char16_t* caption, UINT type);

BOOL SHInitExtraControls();

// Creates the soft-key bar described by the MenuBarResource nToolBarId of hInstRes below
// hwndParent; its buttons post WM_COMMAND to the parent, a drop-down button opens its popup
// whose items post their commands. Stores the bar's handle in hwndMB. FALSE on failure.
BOOL SHCreateMenuBar(SHMENUBARINFO* info);

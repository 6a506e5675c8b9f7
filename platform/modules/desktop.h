// The desktop front end: Cyclune in a native window (SDL2 on X11 or Wayland). The client area
// is the month view at the display's scale, the soft-key bar sits below it, the "Options"
// popup and message boxes are drawn in the window, and a second start brings the running
// window forward. The entry point starts it before WinMain and finishes it afterwards:
//
//   std::string error;
//   if (!StartDesktopWindow(&error)) { std::fprintf(stderr, "cyclune: %s\n", error.c_str()); ... }
//   return FinishDesktopWindow(WinMain(...));
#pragma once

#include <string>

// Opens the display and installs the desktop window backend; switches the one-instance-per-
// user rule on. False, with *error set to one line (e.g. "cannot open a window: no display"),
// when no window can be had; nothing is installed then.
bool StartDesktopWindow(std::string* error);

// Closes the window and the display and removes the backend; returns `winmain_result`, the
// process exit status, or after a second start what ReportSecondStart says
// (platform/instance/single_instance.h).
int FinishDesktopWindow(int winmain_result);

// True when the environment names a display (DISPLAY or WAYLAND_DISPLAY is set and not empty),
// that is when starting without options should open a window rather than use the terminal.
bool DesktopDisplayAvailable();

// The desktop front end: Cyclune in a native window (SDL2 on X11 or Wayland). The client area
// is the month view at the display's scale, the soft-key bar sits below it, the "Options"
// popup and message boxes are drawn in the window, and a second start brings the running
// window forward. The entry point starts it, runs the program on it and finishes it:
//
//   std::string error;
//   UiFrontEnd* desktop = StartDesktopWindow(&error);
//   if (desktop == nullptr) { std::fprintf(stderr, "cyclune: %s\n", error.c_str()); ... }
//   return FinishDesktopWindow(RunCalendar(*desktop, options));
#pragma once

#include <string>

#include "platform/ui/front_end.h"

// Opens the display and makes the desktop front end, which lives until FinishDesktopWindow;
// switches the one-instance-per-user rule on. nullptr, with *error set to one line (e.g.
// "cannot open a window: no display"), when no window can be had.
UiFrontEnd* StartDesktopWindow(std::string* error);

// Closes the window and the display and ends the front end; returns `run_result`, the
// process exit status, or after a second start what ReportSecondStart says
// (platform/instance/single_instance.h).
int FinishDesktopWindow(int run_result);

// True when the environment names a display (DISPLAY or WAYLAND_DISPLAY is set and not empty),
// that is when starting without options should open a window rather than use the terminal.
bool DesktopDisplayAvailable();

// The choice of SDL's video driver for the desktop window, kept apart from SDL so it can be
// tested: which drivers to try and in what order, and whether a Wayland display offers what
// SDL's Wayland driver needs to start safely. Internal to platform/sdl.
//
// SDL 2.26 tries X11 before Wayland and, on a Wayland display that advertises no wl_seat
// (a compositor without input devices, such as weston's headless backend), reads input
// state that was never made and crashes inside SDL_Init. So Wayland is tried first, natively,
// but only once the display has been seen to offer a seat, a shell and shared memory.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct VideoEnvironment {
  std::string_view asked;      // SDL_VIDEODRIVER as set by the user: a comma-separated list
  bool wayland_named = false;  // WAYLAND_DISPLAY is set and not empty
  bool x11_named = false;      // DISPLAY is set and not empty
};

// The drivers to try, in order. Empty: let SDL choose. The user's own list is kept as given,
// with X11 added after it when it names Wayland but not X11 and an X display is named.
//   {"", wayland, x11} -> {"wayland", "x11"};  {"wayland", -, x11} -> {"wayland", "x11"}
std::vector<std::string> VideoDriverOrder(const VideoEnvironment& environment);

// Why SDL's Wayland driver cannot start safely on a display that offers the global
// interfaces `globals` (names such as "wl_seat"): one short phrase, or empty when it can.
std::string WaylandShortcoming(const std::vector<std::string>& globals);

// Lists the global interfaces of the Wayland display that WAYLAND_DISPLAY names, through the
// system's libwayland-client (loaded here, not linked). False, with *error set, when the
// library or the display cannot be reached.
bool ListWaylandGlobals(std::vector<std::string>* globals, std::string* error);

// Opening SDL's video on the user's display for the desktop window: natively on Wayland when
// the display offers what SDL needs (video_drivers.h), on X11 otherwise, one line on standard
// error for each driver given up. Two things stand between SDL and a dependable start and end
// on X11: a display server that is busy can refuse a new connection for a moment, after which
// SDL settles for a video driver that shows nothing; and SDL's own wake-up messages can
// outlive the window at exit. Internal to platform/sdl.
#pragma once

#include <string>

// Initialises SDL's video subsystem on a display that shows windows, trying a refused X11
// connection again for a little over half a second. False, with *error set to one line, when
// no display answered; SDL's video is then not initialised.
bool OpenDisplayVideo(std::string* error);

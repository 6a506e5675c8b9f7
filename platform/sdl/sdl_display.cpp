#include "platform/sdl/sdl_display.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/sdl/video_drivers.h"

namespace {

constexpr int kConnectAttempts = 6;
constexpr Uint32 kFirstRetryMilliseconds = 20;  // doubled each time: 620 ms in all

using XErrorFilter = int (*)(Display*, XErrorEvent*);
using SetXErrorFilter = XErrorFilter (*)(XErrorFilter);

XErrorFilter g_previous_x_error_filter = nullptr;

// SDL wakes its own wait for events by sending a message to the window over a second
// connection to the X server. One still in flight when the window is destroyed comes back as
// BadWindow on that connection; SDL_Quit reads it when it closes the connection, and Xlib's
// default handler then ends the process with status 1 after an orderly exit. A message with
// no window left to go to is harmless, so that one error is passed over; any other goes to
// the handler that was there before.
int PassOverLateWakeUps(Display* display, XErrorEvent* event) {
  if (event->error_code == BadWindow && event->request_code == X_SendEvent) return 0;
  return g_previous_x_error_filter != nullptr ? g_previous_x_error_filter(display, event) : 0;
}

// Installed before SDL opens X11, so that SDL chains to it and puts it back, not Xlib's
// default, before it closes its connections. The library is the one SDL loads itself.
void InstallXErrorFilter() {
  static bool installed = false;
  if (installed) return;
  void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
  if (x11 == nullptr) return;  // no X11 on this machine: nothing to filter
  const auto set = reinterpret_cast<SetXErrorFilter>(dlsym(x11, "XSetErrorHandler"));
  if (set == nullptr) return;
  g_previous_x_error_filter = set(PassOverLateWakeUps);
  installed = true;
}

bool Named(const char* variable) {
  const char* value = std::getenv(variable);
  return value != nullptr && value[0] != '\0';
}

// Whether the driver SDL chose on its own shows windows to someone. With no display
// answering, SDL falls back to drivers that draw nowhere; the window would then run unseen.
bool ShowsWindows(const char* driver) {
  return driver != nullptr && std::strcmp(driver, "offscreen") != 0 &&
         std::strcmp(driver, "dummy") != 0;
}

// Starts SDL's video on `driver` (SDL's own choice when empty). A busy X server refuses
// connections while its queue of new ones is full, so X11 is asked again for a moment.
bool StartVideo(const std::string& driver, bool user_named, std::string* error) {
  if (!driver.empty()) {
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver.c_str(), SDL_HINT_OVERRIDE);
  }
  const bool may_retry = (driver.empty() || driver == "x11") && Named("DISPLAY");
  const int attempts = may_retry ? kConnectAttempts : 1;
  Uint32 wait = kFirstRetryMilliseconds;
  for (int attempt = 1;; ++attempt) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      *error = std::string("cannot open a window: ") + SDL_GetError();
    } else if (user_named || ShowsWindows(SDL_GetCurrentVideoDriver())) {
      return true;
    } else {
      *error = "cannot open a window: no display answered";
      SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    if (attempt == attempts) return false;
    SDL_Delay(wait);
    wait *= 2;
  }
}

// Whether SDL's Wayland driver can start on the display without crashing; the reason when not.
bool WaylandSafe(std::string* reason) {
  std::vector<std::string> globals;
  std::string error;
  if (!ListWaylandGlobals(&globals, &error)) {
    *reason = error;
    return false;
  }
  *reason = WaylandShortcoming(globals);
  return reason->empty();
}

}  // namespace

bool OpenDisplayVideo(std::string* error) {
  InstallXErrorFilter();
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  const std::vector<std::string> order = VideoDriverOrder(
      VideoEnvironment{asked != nullptr ? asked : "", Named("WAYLAND_DISPLAY"), Named("DISPLAY")});
  const bool user_named = asked != nullptr && asked[0] != '\0';
  if (order.empty()) return StartVideo("", false, error);
  for (std::size_t i = 0; i < order.size(); ++i) {
    std::string reason;
    if (order[i] == "wayland" && !WaylandSafe(&reason)) {
      const char* name = std::getenv("WAYLAND_DISPLAY");
      *error = std::string("cannot open a window: the Wayland display ") +
               (Named("WAYLAND_DISPLAY") ? name : "wayland-0") + " " + reason;
    } else if (StartVideo(order[i], user_named, error)) {
      return true;
    }
    if (i + 1 < order.size()) {
      std::fprintf(stderr, "cyclune: %s; trying %s\n", error->c_str(), order[i + 1].c_str());
    }
  }
  return false;
}

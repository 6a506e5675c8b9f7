// The desktop window's choice of video driver: the order tried for each environment, and the
// Wayland displays on which SDL's driver would crash or fail.
#include "platform/sdl/video_drivers.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Names = std::vector<std::string>;

TEST(VideoDrivers, OrderFollowsTheDisplaysNamedAndTheUsersList) {
  struct Case {
    const char* asked;
    bool wayland;
    bool x11;
    Names expected;
  };
  const Case cases[] = {
      {"", true, true, {"wayland", "x11"}},  // a Wayland session with XWayland: native first
      {"", true, false, {"wayland"}},
      {"", false, true, {"x11"}},
      {"", false, false, {}},  // nothing named: SDL's own choice
      {"x11", true, true, {"x11"}},
      {"wayland", true, true, {"wayland", "x11"}},  // X11 stays the fallback
      {"wayland", true, false, {"wayland"}},
      {"wayland,x11", true, true, {"wayland", "x11"}},
      {" x11 , wayland ", true, true, {"x11", "wayland"}},
      {"kmsdrm", false, true, {"kmsdrm"}},
      {",,", true, false, {"wayland"}},  // an empty list is no list
      {"wayland,wayland", false, false, {"wayland"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VideoDriverOrder(VideoEnvironment{c.asked, c.wayland, c.x11}), c.expected)
        << "SDL_VIDEODRIVER='" << c.asked << "' wayland " << c.wayland << " x11 " << c.x11;
  }
}

TEST(VideoDrivers, WaylandNeedsASeatAShellMemoryAndAnOutput) {
  const Names desktop = {"wl_compositor", "wl_subcompositor", "wl_shm",       "wl_seat",
                         "wl_output",     "xdg_wm_base",      "wp_viewporter"};
  struct Case {
    const char* missing;
    const char* expected;
  };
  const Case cases[] = {
      {"", ""},
      {"wp_viewporter", ""},  // optional to SDL
      {"wl_seat", "offers no seat (no keyboard or mouse)"},
      {"wl_compositor", "offers no compositor interface"},
      {"wl_shm", "offers no shared memory"},
      {"xdg_wm_base", "offers no xdg-shell for windows"},
      {"wl_output", "has no output to show a window on"},
  };
  for (const Case& c : cases) {
    Names globals;
    for (const std::string& name : desktop) {
      if (name != c.missing) globals.push_back(name);
    }
    EXPECT_EQ(WaylandShortcoming(globals), c.expected) << "without " << c.missing;
  }
  // A headless compositor with neither input nor outputs is refused for its seat first:
  // that is where SDL 2.26 crashes.
  EXPECT_EQ(WaylandShortcoming({"wl_compositor", "wl_shm", "xdg_wm_base"}),
            "offers no seat (no keyboard or mouse)");
  EXPECT_EQ(WaylandShortcoming({}), "offers no seat (no keyboard or mouse)");
}

TEST(VideoDrivers, AnUnreachableWaylandDisplayIsAnErrorNotACrash) {
  const char* saved = std::getenv("WAYLAND_DISPLAY");
  const std::string restore = saved != nullptr ? saved : "";
  setenv("WAYLAND_DISPLAY", "cyclune-test-no-such-display", 1);
  Names globals;
  std::string error;
  EXPECT_FALSE(ListWaylandGlobals(&globals, &error));
  EXPECT_FALSE(error.empty());
  if (saved != nullptr) {
    setenv("WAYLAND_DISPLAY", restore.c_str(), 1);
  } else {
    unsetenv("WAYLAND_DISPLAY");
  }
}

}  // namespace

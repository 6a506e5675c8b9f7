// Whether to start the desktop window is decided from the environment alone, so a start
// without a display loads nothing of the window stack.
#include <cstdlib>

#include "platform/modules/desktop.h"

bool DesktopDisplayAvailable() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

// Internals shared by the window system's and the drawing code's source files: the window
// record, the registry of live windows, and the few things drawing and windows ask of each
// other. Platform-internal; tests may read the live-object counts.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "platform/canvas/canvas.h"
#include "platform/ui/program_window.h"
#include "platform/ui/resource.h"
#include "platform/ui/window.h"
#include "platform/ui/window_paint.h"

struct WindowObject {
  std::u16string class_name;
  WNDPROC procedure = nullptr;
  bool visible = false;
  bool destroying = false;
  std::uint64_t shown_order = 0;
  std::unique_ptr<ProgramWindow> shown;  // what the front end shows
};

// Whether `window` is a window that exists now (any stale or made-up handle is not).
bool IsLiveWindow(HWND window);
// Every live window, in creation order.
const std::vector<std::unique_ptr<WindowObject>>& LiveWindows();
// Adds a window to the registry and returns its handle.
HWND AdoptWindow(std::unique_ptr<WindowObject> window);

// Consumes the window's pending paint request (BeginWindowPaint).
void ValidateWindow(HWND window);

// The colour of a brush; false when `brush` is not a live brush.
bool BrushColour(HBRUSH brush, Rgb* colour);

// The resource an icon handle stands for; nullptr for none.
const IconResource* IconResourceOf(HICON icon);

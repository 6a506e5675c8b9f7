// The paint cycle over the window registry and the front end that runs.
#include "platform/ui/window_paint.h"

#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

bool BeginWindowPaint(HWND window, Canvas** screen) {
  if (!IsLiveWindow(window) || screen == nullptr) return false;
  ValidateWindow(window);
  *screen = window->canvas.get();
  return true;
}

void EndWindowPaint(HWND window) {
  if (!IsLiveWindow(window)) return;
  if (WindowBackend* backend = CurrentWindowBackend()) backend->WindowPainted(window);
}

bool ScreenHoldsCharacters() {
  // The front end's kind of canvas, learnt from one it makes; the default kind without one.
  WindowBackend* backend = CurrentWindowBackend();
  const CanvasMaker maker = DefaultCanvasMaker();
  std::unique_ptr<Canvas> probe = backend != nullptr ? backend->MakeCanvas(0, 0)
                                  : maker != nullptr ? maker(0, 0)
                                                     : nullptr;
  return probe != nullptr && probe->HoldsCharacters();
}

// The paint cycle over the window registry and the front end that runs.
#include "platform/ui/window_paint.h"

#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

bool BeginWindowPaint(HWND window, Canvas** screen) {
  if (!IsLiveWindow(window) || screen == nullptr) return false;
  ValidateWindow(window);
  *screen = window->shown->canvas();
  return true;
}

void EndWindowPaint(HWND window) {
  (void)window;  // the front end reads the picture when the loop presents it
}

bool ScreenHoldsCharacters() {
  // The front end's kind of canvas, learnt from one it makes; the default kind without one.
  UiFrontEnd* backend = CurrentWindowBackend();
  const CanvasMaker maker = DefaultCanvasMaker();
  std::unique_ptr<Canvas> probe = backend != nullptr ? backend->MakeCanvas(0, 0)
                                  : maker != nullptr ? maker(0, 0)
                                                     : nullptr;
  return probe != nullptr && probe->HoldsCharacters();
}

// Messages sent to window procedures and paint requests. Paint requests are flags on the
// window, so any number of them make one WM_PAINT, sent when the loop asks (UpdateWindow).
#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"
#include "platform/ui/window_paint.h"

LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!IsLiveWindow(window)) return 0;
  return window->procedure(window, message, wparam, lparam);
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT: {
      // A window that does not paint still has its request consumed, or it would come back.
      Canvas* screen = nullptr;
      if (BeginWindowPaint(window, &screen)) EndWindowPaint(window);
      return 0;
    }
    default:
      return 0;
  }
}

BOOL InvalidateRect(HWND window, const Rect* rect, BOOL) {
  if (window == nullptr) {
    for (const auto& each : LiveWindows()) {
      each->shown->AskForPaint();
    }
    return TRUE;
  }
  if (!IsLiveWindow(window)) return FALSE;
  const Canvas* canvas = window->shown->canvas();
  if (rect != nullptr && canvas != nullptr) {
    const bool outside = rect->right <= 0 || rect->bottom <= 0 || rect->left >= rect->right ||
                         rect->top >= rect->bottom || rect->left >= canvas->Width() ||
                         rect->top >= canvas->Height();
    if (outside) return TRUE;
  }
  window->shown->AskForPaint();
  return TRUE;
}

bool PaintPending(HWND window) { return IsLiveWindow(window) && window->shown->paint_due(); }

BOOL UpdateWindow(HWND window) {
  if (!IsLiveWindow(window)) return FALSE;
  if (window->shown->paint_due()) SendMessageW(window, WM_PAINT, 0, 0);
  return TRUE;
}

void ValidateWindow(HWND window) {
  if (IsLiveWindow(window)) window->shown->TakePaintDue();
}

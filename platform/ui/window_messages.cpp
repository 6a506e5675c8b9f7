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
      each->paint_pending = true;
    }
    return TRUE;
  }
  if (!IsLiveWindow(window)) return FALSE;
  if (rect != nullptr && window->canvas != nullptr) {
    const bool outside = rect->right <= 0 || rect->bottom <= 0 || rect->left >= rect->right ||
                         rect->top >= rect->bottom || rect->left >= window->canvas->Width() ||
                         rect->top >= window->canvas->Height();
    if (outside) return TRUE;
  }
  window->paint_pending = true;
  return TRUE;
}

bool PaintPending(HWND window) {
  return IsLiveWindow(window) && window->paint_pending && window->visible;
}

BOOL UpdateWindow(HWND window) {
  if (!IsLiveWindow(window)) return FALSE;
  if (window->paint_pending && window->visible) SendMessageW(window, WM_PAINT, 0, 0);
  return TRUE;
}

void ValidateWindow(HWND window) {
  if (IsLiveWindow(window)) window->paint_pending = false;
}

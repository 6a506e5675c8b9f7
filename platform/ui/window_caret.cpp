// The caret: one per process, owned by a window, its box being the window's focus box
// (platform/ui/program_window.h). Nothing draws it; front ends that can show a place to
// assistive technology (a terminal's cursor) read it.
#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

namespace {

HWND g_caret_owner = nullptr;

}  // namespace

BOOL CreateCaret(HWND window, HGDIOBJ bitmap, int width, int height) {
  if (!IsLiveWindow(window) || bitmap != nullptr || width < 0 || height < 0) {
    return FALSE;
  }
  if (IsLiveWindow(g_caret_owner)) g_caret_owner->shown->SetFocusBox(std::nullopt);
  g_caret_owner = window;
  window->shown->SetFocusBox(Rect{0, 0, width, height});
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  if (!IsLiveWindow(g_caret_owner)) return FALSE;
  ProgramWindow& shown = *g_caret_owner->shown;
  const Rect box = shown.focus_box().value_or(Rect{0, 0, 0, 0});
  shown.SetFocusBox(Rect{x, y, x + box.right - box.left, y + box.bottom - box.top});
  return TRUE;
}

BOOL DestroyCaret() {
  const bool had = IsLiveWindow(g_caret_owner);
  if (had) g_caret_owner->shown->SetFocusBox(std::nullopt);
  g_caret_owner = nullptr;
  return had ? TRUE : FALSE;
}

bool CaretOf(HWND window, Rect* box) {
  if (window == nullptr || g_caret_owner != window || !IsLiveWindow(window) ||
      !window->shown->focus_box()) {
    return false;
  }
  *box = *window->shown->focus_box();
  return true;
}

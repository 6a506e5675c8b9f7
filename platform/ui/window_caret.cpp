// The caret: one per process, owned by a window, a box in its client area that says where
// the keyboard's attention is. Nothing draws it; front ends that can show a place to
// assistive technology (a terminal's cursor) read it with CaretOf.
#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

namespace {

struct Caret {
  HWND owner = nullptr;
  Rect box{};
};

Caret& TheCaret() {
  static Caret caret;
  return caret;
}

}  // namespace

BOOL CreateCaret(HWND window, HGDIOBJ bitmap, int width, int height) {
  if (!IsLiveWindow(window) || bitmap != nullptr || width < 0 || height < 0) {
    return FALSE;
  }
  TheCaret() = Caret{window, Rect{0, 0, width, height}};
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  Caret& caret = TheCaret();
  if (!IsLiveWindow(caret.owner)) return FALSE;
  const std::int32_t width = caret.box.right - caret.box.left;
  const std::int32_t height = caret.box.bottom - caret.box.top;
  caret.box = Rect{x, y, x + width, y + height};
  return TRUE;
}

BOOL DestroyCaret() {
  const bool had = IsLiveWindow(TheCaret().owner);
  TheCaret() = Caret{};
  return had ? TRUE : FALSE;
}

void ForgetCaretOf(HWND window) {
  if (TheCaret().owner == window) TheCaret() = Caret{};
}

bool CaretOf(HWND window, Rect* box) {
  const Caret& caret = TheCaret();
  if (window == nullptr || caret.owner != window || !IsLiveWindow(window)) return false;
  *box = caret.box;
  return true;
}

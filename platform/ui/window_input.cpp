// Input messages as the platform posts them, for every backend and the modal layer.
#include <algorithm>

#include "platform/ui/window_backend.h"

namespace {

constexpr LPARAM kKeyDownFlags = 1;             // repeat count 1
constexpr LPARAM kKeyRepeatFlags = 0x40000001;  // repeat count 1, key already down
constexpr LPARAM kKeyUpFlags = 0xC0000001;      // repeat 1, previous state down, released

LPARAM PositionParameter(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(std::clamp(x, 0, 0xFFFF)),
                    static_cast<WORD>(std::clamp(y, 0, 0xFFFF)));
}

}  // namespace

BOOL PostKeyDown(HWND window, UINT key, bool repeat) {
  return PostMessageW(window, WM_KEYDOWN, key, repeat ? kKeyRepeatFlags : kKeyDownFlags);
}

BOOL PostKeyUp(HWND window, UINT key) { return PostMessageW(window, WM_KEYUP, key, kKeyUpFlags); }

BOOL PostButtonDown(HWND window, int x, int y) {
  return PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, PositionParameter(x, y));
}

BOOL PostButtonUp(HWND window, int x, int y) {
  return PostMessageW(window, WM_LBUTTONUP, 0, PositionParameter(x, y));
}

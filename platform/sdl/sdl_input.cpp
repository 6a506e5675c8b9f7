// Native input to the platform's messages: one switch over SDL's events. Keys become
// WM_KEYDOWN / WM_KEYUP with virtual-key codes, left clicks in the client area WM_LBUTTONDOWN /
// WM_LBUTTONUP at drawable pixels; F1 and F2 (or a click on a label) press the soft keys, and
// the popup of a soft key is handled here until an item is chosen or it is closed.
#include <algorithm>

#include "platform/sdl/sdl_backend.h"
#include "platform/single_instance.h"

namespace {

// How often a wait looks for a second start asking for the window.
constexpr Uint32 kForegroundPollMilliseconds = 100;
constexpr WPARAM kLeftButton = 0x0001;           // MK_LBUTTON
constexpr LPARAM kKeyDownFlags = 1;              // repeat count 1
constexpr LPARAM kKeyRepeatFlags = 0x40000001;   // repeat count 1, key already down
constexpr LPARAM kKeyUpFlags = 0xC0000001;       // repeat 1, previous state down, released

// Keypad keys without Num Lock, as a PC keyboard labels them.
UINT KeypadNavigationKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_KP_8: return VK_UP;
    case SDLK_KP_2: return VK_DOWN;
    case SDLK_KP_4: return VK_LEFT;
    case SDLK_KP_6: return VK_RIGHT;
    case SDLK_KP_7: return 0x24;  // VK_HOME
    case SDLK_KP_1: return 0x23;  // VK_END
    case SDLK_KP_9: return 0x21;  // VK_PRIOR
    case SDLK_KP_3: return 0x22;  // VK_NEXT
    default: return 0;
  }
}

// The digit of a keypad key with Num Lock on; -1 for other keys.
int KeypadDigit(SDL_Keycode key) {
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return static_cast<int>(key - SDLK_KP_1) + 1;
  return key == SDLK_KP_0 ? 0 : -1;
}

// The virtual-key code of a key; 0 for keys the platform's programs never see.
UINT VirtualKeyOf(SDL_Keycode key, Uint16 modifiers) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<UINT>(0x41 + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<UINT>(0x30 + (key - SDLK_0));
  if (key >= SDLK_F3 && key <= SDLK_F12) return static_cast<UINT>(VK_F1 + 2 + (key - SDLK_F3));
  if (const int digit = KeypadDigit(key); digit >= 0) {
    return (modifiers & KMOD_NUM) != 0 ? static_cast<UINT>(0x30 + digit)
                                       : KeypadNavigationKey(key);
  }
  switch (key) {
    case SDLK_RETURN: case SDLK_RETURN2: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_SPACE: return 0x20;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_END: return 0x23;
    case SDLK_HOME: return 0x24;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_UP: return VK_UP;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    default: return 0;
  }
}

// The menu item a digit key chooses (1 the first); -1 for other keys.
int ItemOfDigitKey(SDL_Keycode key) {
  if (key >= SDLK_1 && key <= SDLK_9) return static_cast<int>(key - SDLK_1);
  const int digit = KeypadDigit(key);
  return digit >= 1 ? digit - 1 : -1;
}

LPARAM PositionParameter(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(std::clamp(x, 0, 0xFFFF)),
                    static_cast<WORD>(std::clamp(y, 0, 0xFFFF)));
}

}  // namespace

bool DesktopBackend::WaitForInput() {
  SDL_Event event;
  const int timeout = ForegroundRequestSocket() >= 0 ? kForegroundPollMilliseconds : -1;
  // One event a call: the messages it posts are handled before the next event is read, so a
  // key that opens a message box leaves the keys after it to the box.
  if (SDL_WaitEventTimeout(&event, timeout) != 0) Handle(event);
  return true;
}

void DesktopBackend::Handle(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      RequestClose();
      break;
    case SDL_WINDOWEVENT:
      OnWindowEvent(event.window);
      break;
    case SDL_KEYDOWN:
      Trace("input");
      OnKeyDown(event.key);
      break;
    case SDL_KEYUP:
      OnKeyUp(event.key);
      break;
    case SDL_MOUSEBUTTONDOWN:
      Trace("input");
      OnButtonDown(event.button);
      break;
    case SDL_MOUSEBUTTONUP:
      OnButtonUp(event.button);
      break;
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      if (texture_ != nullptr) SDL_DestroyTexture(texture_);
      texture_ = nullptr;  // made anew with the next frame
      Present();
      break;
    default:
      break;
  }
}

void DesktopBackend::OnWindowEvent(const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      RequestClose();
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      FollowWindowSize();
      if (box_) Present();  // a box holds the owner's paints; it lays itself out anew
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
      PresentAgain();
      break;
    default:
      break;
  }
}

void DesktopBackend::OnKeyDown(const SDL_KeyboardEvent& event) {
  const SDL_Keycode key = event.keysym.sym;
  const Uint16 modifiers = event.keysym.mod;
  if ((modifiers & KMOD_CTRL) != 0 && (key == SDLK_q || key == SDLK_w)) return RequestClose();
  // Shortcuts held with Ctrl, Alt or the logo key belong to the desktop.
  if ((modifiers & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0) return;
  if (popup_key_ != 0) return OnPopupKey(key);
  if (key == SDLK_F1 || key == SDLK_F2) {
    if (event.repeat == 0) PressSoftKeyOfBar(key == SDLK_F1 ? 1 : 2);
    return;
  }
  const UINT code = VirtualKeyOf(key, modifiers);
  if (code != 0 && shown_window_ != nullptr) {
    PostMessageW(shown_window_, WM_KEYDOWN, code,
                 event.repeat != 0 ? kKeyRepeatFlags : kKeyDownFlags);
  }
}

void DesktopBackend::OnKeyUp(const SDL_KeyboardEvent& event) {
  if ((event.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0 || popup_key_ != 0) return;
  const UINT code = VirtualKeyOf(event.keysym.sym, event.keysym.mod);
  if (code != 0 && shown_window_ != nullptr) {
    PostMessageW(shown_window_, WM_KEYUP, code, kKeyUpFlags);
  }
}

void DesktopBackend::OnPopupKey(SDL_Keycode key) {
  const int count = static_cast<int>(popup_.items.size());
  const int item = ItemOfDigitKey(key);
  if (item >= 0) {
    if (item < count) ChoosePopupItem(item);
    return;
  }
  switch (key) {
    case SDLK_UP:
    case SDLK_DOWN:
      if (count == 0) return;
      popup_.highlighted = (popup_.highlighted + (key == SDLK_UP ? count - 1 : 1)) % count;
      Present();
      break;
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
      if (popup_.highlighted < count) ChoosePopupItem(popup_.highlighted);
      break;
    case SDLK_ESCAPE:
    case SDLK_F1:
    case SDLK_F2:
      ClosePopup();
      break;
    default:
      break;
  }
}

bool DesktopBackend::ToDrawable(int x, int y, int* drawable_x, int* drawable_y) const {
  int window_width = 0;
  int window_height = 0;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(window_, &window_width, &window_height);
  if (window_width <= 0 || window_height <= 0 ||
      SDL_GetRendererOutputSize(renderer_, &width, &height) != 0) {
    return false;
  }
  *drawable_x = static_cast<int>(std::int64_t{x} * width / window_width);
  *drawable_y = static_cast<int>(std::int64_t{y} * height / window_height);
  return true;
}

void DesktopBackend::OnButtonDown(const SDL_MouseButtonEvent& event) {
  int x = 0;
  int y = 0;
  if (event.button != SDL_BUTTON_LEFT || shown_window_ == nullptr ||
      !ToDrawable(event.x, event.y, &x, &y) || frame_ == nullptr) {
    return;
  }
  const int client_height = ClientHeightFor(frame_->Height());
  const SDL_Rect bar{0, client_height, frame_->Width(), frame_->Height() - client_height};
  if (popup_key_ != 0) {
    const SDL_Rect area = PopupArea(popup_, frame_->Width(), client_height, ui_);
    const int item = PopupItemAt(area, popup_, x, y, ui_);
    // A click beside the popup only closes it, as on the phone.
    return item >= 0 ? ChoosePopupItem(item) : ClosePopup();
  }
  if (y >= client_height) {
    if (const int key = SoftKeyAt(bar, x, y); key != 0) PressSoftKeyOfBar(key);
    return;
  }
  button_down_in_client_ = true;
  PostMessageW(shown_window_, WM_LBUTTONDOWN, kLeftButton, PositionParameter(x, y));
}

void DesktopBackend::OnButtonUp(const SDL_MouseButtonEvent& event) {
  int x = 0;
  int y = 0;
  if (event.button != SDL_BUTTON_LEFT || !button_down_in_client_) return;
  button_down_in_client_ = false;
  if (shown_window_ != nullptr && ToDrawable(event.x, event.y, &x, &y)) {
    PostMessageW(shown_window_, WM_LBUTTONUP, 0, PositionParameter(x, y));
  }
}

void DesktopBackend::PressSoftKeyOfBar(int key) {
  const std::vector<SoftKey> keys = SoftKeysOf(shown_window_);
  if (key < 1 || static_cast<std::size_t>(key) > keys.size()) return;
  PressSoftKey(shown_window_, key);
  if (!keys[static_cast<std::size_t>(key) - 1].menu.empty()) OpenPopup(key);
}

void DesktopBackend::OpenPopup(int key) {
  const std::vector<SoftKey> keys = SoftKeysOf(shown_window_);
  popup_key_ = key;
  popup_.items = keys[static_cast<std::size_t>(key) - 1].menu;
  popup_.highlighted = 0;
  Present();
}

// The popup covered part of the window: the window repaints, which takes the popup away.
void DesktopBackend::ClosePopup() {
  popup_key_ = 0;
  if (shown_window_ != nullptr) InvalidateRect(shown_window_, nullptr, FALSE);
}

void DesktopBackend::ChoosePopupItem(int item) {
  const int key = popup_key_;
  ClosePopup();
  ChooseMenuItem(shown_window_, key, item);
}

// The window's close button (or the session ending) closes the window as the platform does:
// WM_CLOSE, whose default handling destroys it, which ends the application.
void DesktopBackend::RequestClose() {
  popup_key_ = 0;
  if (shown_window_ != nullptr) PostMessageW(shown_window_, WM_CLOSE, 0, 0);
}

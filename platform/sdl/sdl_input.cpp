// Native input to the modal layer (platform/ui/modal.h) in one switch over SDL's events: keys
// as virtual-key codes, left clicks as what they hit (the client area at drawable pixels, a
// soft key, an item of the popup), the wheel in steps. The main loop and a message box's
// loop both go through it; while a box is open the modal layer keeps the input to itself.
#include <algorithm>

#include "platform/instance/single_instance.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/ui/test_hooks.h"

namespace {

// How often a wait looks for a second start asking for the window, where no thread can
// watch the socket (ForegroundWatch).
constexpr Uint32 kForegroundPollMilliseconds = 100;

// Keypad keys without Num Lock, as a PC keyboard labels them.
UINT KeypadNavigationKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_KP_8:
      return VK_UP;
    case SDLK_KP_2:
      return VK_DOWN;
    case SDLK_KP_4:
      return VK_LEFT;
    case SDLK_KP_6:
      return VK_RIGHT;
    case SDLK_KP_7:
      return VK_HOME;
    case SDLK_KP_1:
      return VK_END;
    case SDLK_KP_9:
      return VK_PRIOR;
    case SDLK_KP_3:
      return VK_NEXT;
    default:
      return 0;
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
  if (key >= SDLK_F1 && key <= SDLK_F12) return static_cast<UINT>(VK_F1 + (key - SDLK_F1));
  if (const int digit = KeypadDigit(key); digit >= 0) {
    return (modifiers & KMOD_NUM) != 0 ? static_cast<UINT>(0x30 + digit) : KeypadNavigationKey(key);
  }
  switch (key) {
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
      return VK_RETURN;
    case SDLK_ESCAPE:
      return VK_ESCAPE;
    case SDLK_BACKSPACE:
      return VK_BACK;
    case SDLK_TAB:
      return VK_TAB;
    case SDLK_SPACE:
      return VK_SPACE;
    case SDLK_PAGEUP:
      return VK_PRIOR;
    case SDLK_PAGEDOWN:
      return VK_NEXT;
    case SDLK_END:
      return VK_END;
    case SDLK_HOME:
      return VK_HOME;
    case SDLK_LEFT:
      return VK_LEFT;
    case SDLK_UP:
      return VK_UP;
    case SDLK_RIGHT:
      return VK_RIGHT;
    case SDLK_DOWN:
      return VK_DOWN;
    case SDLK_INSERT:
      return VK_INSERT;
    case SDLK_DELETE:
      return VK_DELETE;
    default:
      return 0;
  }
}

}  // namespace

bool DesktopBackend::WaitForInput() {
  SDL_Event event;
  // One event a call: the messages it posts are handled before the next event is read, so a
  // key that opens a message box leaves the keys after it to the box.
  if (WaitEvent(&event)) Handle(event);
  return true;
}

int DesktopBackend::ShowMessageBox(HWND, std::u16string_view text, std::u16string_view caption,
                                   UINT) {
  modal_.OpenMessageBox(caption, text);
  Present();
  // The owner's messages wait in the queue until the box is closed; only its requests of a
  // second start are served meanwhile.
  while (modal_.showing() == ModalModel::Showing::kMessageBox) {
    SDL_Event event;
    if (WaitEvent(&event)) {
      Handle(event);
    } else {
      ServiceForegroundRequests();
    }
  }
  return IDOK;  // MessageBoxW has the window repainted, which takes the box away
}

// The next event, a second start's request among them (the watch's event); without a
// watch, false when none came within the time such a request may wait.
bool DesktopBackend::WaitEvent(SDL_Event* event) {
  const int socket = ForegroundRequestSocket();
  if (socket != watch_.fd()) watching_ = watch_.Watch(socket, wake_event_);
  const int timeout = socket >= 0 && !watching_ ? kForegroundPollMilliseconds : -1;
  return SDL_WaitEventTimeout(event, timeout) != 0;
}

void DesktopBackend::Handle(const SDL_Event& event) {
  if (event.type == wake_event_ && wake_event_ != 0) {
    ServiceForegroundRequests();
    watch_.Rearm();
    return;
  }
  switch (event.type) {
    case SDL_QUIT:
      RequestClose();
      break;
    case SDL_WINDOWEVENT:
      OnWindowEvent(event.window);
      break;
    case SDL_KEYDOWN:
      TraceFrameEvent("input");
      OnKeyDown(event.key);
      break;
    case SDL_KEYUP:
      OnKeyUp(event.key);
      break;
    case SDL_MOUSEBUTTONDOWN:
      TraceFrameEvent("input");
      OnButton(event.button);
      break;
    case SDL_MOUSEBUTTONUP:
      OnButton(event.button);
      break;
    case SDL_MOUSEWHEEL: {
      const int steps =
          event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? event.wheel.y : -event.wheel.y;
      if (modal_.Wheel(steps)) Present();
      break;
    }
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
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
      const bool resized = FollowWindowSize();
      if (modal_.showing() != ModalModel::Showing::kMessageBox) break;
      // The loop waits for the open box: the month behind it is painted for the new size
      // here, which presents it with the box laid out anew.
      if (resized && shown_window_ != nullptr) {
        UpdateWindow(shown_window_);
      } else {
        Present();
      }
      break;
    }
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
  const UINT code = VirtualKeyOf(key, modifiers);
  if (code != 0 && modal_.KeyDown(code, event.repeat != 0)) Present();
}

void DesktopBackend::OnKeyUp(const SDL_KeyboardEvent& event) {
  if ((event.keysym.mod & (KMOD_CTRL | KMOD_ALT | KMOD_GUI)) != 0) return;
  const UINT code = VirtualKeyOf(event.keysym.sym, event.keysym.mod);
  if (code != 0 && modal_.KeyUp(code)) Present();
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

// What the frame last presented shows at drawable pixel (x, y).
ModalHit DesktopBackend::HitAt(int x, int y) const {
  const int client_height = ClientHeightFor(frame_->Height());
  const SDL_Rect bar{0, client_height, frame_->Width(), frame_->Height() - client_height};
  if (const int key = SoftKeyAt(bar, x, y); key != 0) {
    return ModalHit{ModalHit::Place::kSoftKey, key, x, y};
  }
  if (modal_.showing() == ModalModel::Showing::kPopup) {
    const MenuItems& items = modal_.popup_items();
    const SDL_Rect area = PopupArea(items, frame_->Width(), client_height, ui_);
    if (const int item = PopupItemAt(area, items, x, y, ui_); item >= 0) {
      return ModalHit{ModalHit::Place::kPopupItem, item, x, y};
    }
  }
  return ModalHit{y < client_height ? ModalHit::Place::kClient : ModalHit::Place::kNothing, 0, x,
                  y};
}

void DesktopBackend::OnButton(const SDL_MouseButtonEvent& event) {
  int x = 0;
  int y = 0;
  if (event.button != SDL_BUTTON_LEFT || !ToDrawable(event.x, event.y, &x, &y)) return;
  bool changed = false;
  if (event.type == SDL_MOUSEBUTTONUP) {
    changed = modal_.PointerUp(x, y);
  } else if (frame_ != nullptr) {
    changed = modal_.PointerDown(HitAt(x, y));
  }
  if (changed) Present();
}

// The window's close button (or the session ending) closes the window as the platform does:
// WM_CLOSE, whose default handling destroys it, which ends the application. An open box
// closes first.
void DesktopBackend::RequestClose() {
  modal_.CloseAll();
  if (shown_window_ != nullptr) PostMessageW(shown_window_, WM_CLOSE, 0, 0);
}

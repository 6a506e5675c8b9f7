// Native input to neutral events (platform/ui/events.h) in one switch over SDL's events: keys
// as Cyclune's key codes with their modifiers (the key map decides the quit keys), left
// clicks as what they hit (the client area at drawable pixels, a soft key, an item of the
// popup), the wheel in steps.
#include <algorithm>

#include "platform/instance/single_instance.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/ui/events.h"
#include "platform/ui/test_hooks.h"

namespace {

// How often a wait looks for a second start asking for the window, where no thread can
// watch the socket (ForegroundWatch).
constexpr Uint32 kForegroundPollMilliseconds = 100;

// Keypad keys without Num Lock, as a PC keyboard labels them.
Key KeypadNavigationKey(SDL_Keycode key) {
  switch (key) {
    case SDLK_KP_8:
      return Key::kUp;
    case SDLK_KP_2:
      return Key::kDown;
    case SDLK_KP_4:
      return Key::kLeft;
    case SDLK_KP_6:
      return Key::kRight;
    case SDLK_KP_7:
      return Key::kHome;
    case SDLK_KP_1:
      return Key::kEnd;
    case SDLK_KP_9:
      return Key::kPageUp;
    case SDLK_KP_3:
      return Key::kPageDown;
    default:
      return Key::kNone;
  }
}

// The digit of a keypad key with Num Lock on; -1 for other keys.
int KeypadDigit(SDL_Keycode key) {
  if (key >= SDLK_KP_1 && key <= SDLK_KP_9) return static_cast<int>(key - SDLK_KP_1) + 1;
  return key == SDLK_KP_0 ? 0 : -1;
}

// Cyclune's key of an SDL key; Key::kNone for keys that Cyclune never sees.
Key KeyOf(SDL_Keycode key, Uint16 modifiers) {
  if (key >= SDLK_a && key <= SDLK_z) return KeyOfCode(0x41 + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return KeyOfCode(0x30 + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) {
    return KeyOfCode(static_cast<std::uint32_t>(Key::kF1) + (key - SDLK_F1));
  }
  if (const int digit = KeypadDigit(key); digit >= 0) {
    return (modifiers & KMOD_NUM) != 0 ? KeyOfCode(0x30 + digit) : KeypadNavigationKey(key);
  }
  switch (key) {
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
      return Key::kEnter;
    case SDLK_ESCAPE:
      return Key::kEscape;
    case SDLK_BACKSPACE:
      return Key::kBack;
    case SDLK_TAB:
      return Key::kTab;
    case SDLK_SPACE:
      return Key::kSpace;
    case SDLK_PAGEUP:
      return Key::kPageUp;
    case SDLK_PAGEDOWN:
      return Key::kPageDown;
    case SDLK_END:
      return Key::kEnd;
    case SDLK_HOME:
      return Key::kHome;
    case SDLK_LEFT:
      return Key::kLeft;
    case SDLK_UP:
      return Key::kUp;
    case SDLK_RIGHT:
      return Key::kRight;
    case SDLK_DOWN:
      return Key::kDown;
    case SDLK_INSERT:
      return Key::kInsert;
    case SDLK_DELETE:
      return Key::kDelete;
    default:
      return Key::kNone;
  }
}

unsigned ModifiersOf(Uint16 modifiers) {
  return ((modifiers & KMOD_CTRL) != 0 ? kCtrl : 0) | ((modifiers & KMOD_ALT) != 0 ? kAlt : 0) |
         ((modifiers & KMOD_GUI) != 0 ? kLogo : 0);
}

}  // namespace

bool DesktopBackend::WaitEvents(std::vector<UiEvent>* events) {
  SDL_Event event;
  // One event a call: a key that opens a message box leaves the keys after it to the box.
  if (WaitEvent(&event)) Handle(event, events);
  return true;
}

// The next event, a second start's request among them (the watch's event); without a
// watch, false when none came within the time such a request may wait.
bool DesktopBackend::WaitEvent(SDL_Event* event) {
  const int socket = ForegroundRequestSocket();
  if (socket != watch_.fd()) watching_ = watch_.Watch(socket, wake_event_);
  const int timeout = socket >= 0 && !watching_ ? kForegroundPollMilliseconds : -1;
  return SDL_WaitEventTimeout(event, timeout) != 0;
}

void DesktopBackend::Handle(const SDL_Event& event, std::vector<UiEvent>* events) {
  if (event.type == wake_event_ && wake_event_ != 0) {
    events->push_back(EventOf(UiEvent::Kind::kWake));
    watch_.Rearm();
    return;
  }
  switch (event.type) {
    case SDL_QUIT:
      events->push_back(EventOf(UiEvent::Kind::kQuit));
      break;
    case SDL_WINDOWEVENT:
      OnWindowEvent(event.window, events);
      break;
    case SDL_KEYDOWN:
      TraceFrameEvent("input");
      OnKey(event.key, events);
      break;
    case SDL_KEYUP:
      OnKey(event.key, events);
      break;
    case SDL_MOUSEBUTTONDOWN:
      TraceFrameEvent("input");
      OnButton(event.button, events);
      break;
    case SDL_MOUSEBUTTONUP:
      OnButton(event.button, events);
      break;
    case SDL_MOUSEWHEEL: {
      UiEvent wheel = EventOf(UiEvent::Kind::kWheel);
      wheel.steps =
          event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? event.wheel.y : -event.wheel.y;
      events->push_back(wheel);
      break;
    }
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      if (texture_ != nullptr) SDL_DestroyTexture(texture_);
      texture_ = nullptr;  // made anew with the next frame
      events->push_back(EventOf(UiEvent::Kind::kRedraw));
      break;
    default:
      break;
  }
}

void DesktopBackend::OnWindowEvent(const SDL_WindowEvent& event, std::vector<UiEvent>* events) {
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      events->push_back(EventOf(UiEvent::Kind::kQuit));
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      // A new size is painted anew; an open box is laid out again even at the same size,
      // as the scale may have changed.
      if (FollowWindowSize()) {
        events->push_back(EventOf(UiEvent::Kind::kResized));
      } else if (modal_->showing() == ModalModel::Showing::kMessageBox) {
        events->push_back(EventOf(UiEvent::Kind::kRedraw));
      }
      break;
    case SDL_WINDOWEVENT_EXPOSED:
    case SDL_WINDOWEVENT_RESTORED:
      PresentAgain();
      break;
    default:
      break;
  }
}

void DesktopBackend::OnKey(const SDL_KeyboardEvent& event, std::vector<UiEvent>* events) {
  const UiEvent key =
      KeyEventOf(KeyOf(event.keysym.sym, event.keysym.mod), ModifiersOf(event.keysym.mod),
                 event.type == SDL_KEYDOWN, event.repeat != 0);
  if (key.kind != UiEvent::Kind::kNone) events->push_back(key);
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
  if (modal_->showing() == ModalModel::Showing::kPopup) {
    const MenuItems& items = modal_->popup_items();
    const SDL_Rect area = PopupArea(items, frame_->Width(), client_height, ui_);
    if (const int item = PopupItemAt(area, items, x, y, ui_); item >= 0) {
      return ModalHit{ModalHit::Place::kPopupItem, item, x, y};
    }
  }
  return ModalHit{y < client_height ? ModalHit::Place::kClient : ModalHit::Place::kNothing, 0, x,
                  y};
}

void DesktopBackend::OnButton(const SDL_MouseButtonEvent& event, std::vector<UiEvent>* events) {
  int x = 0;
  int y = 0;
  if (event.button != SDL_BUTTON_LEFT || !ToDrawable(event.x, event.y, &x, &y)) return;
  if (event.type == SDL_MOUSEBUTTONUP) {
    events->push_back(PointerUpEvent(x, y));
  } else if (frame_ != nullptr) {
    events->push_back(PointerDownEvent(HitAt(x, y)));
  }
}

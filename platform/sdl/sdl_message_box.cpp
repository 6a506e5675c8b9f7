// Modal message boxes in the desktop window: drawn over the client area with an "OK" soft
// key, closed by Enter, Escape, F1, F2 or a click on "OK", scrolled by whole lines. While a
// box is open it reads the window's events itself; only resizes, uncovering and requests of
// a second start are served besides, and the owner's messages wait until it is closed.
#include <algorithm>

#include "platform/headless/headless_script.h"
#include "platform/sdl/sdl_backend.h"
#include "platform/single_instance.h"

namespace {

constexpr Uint32 kForegroundPollMilliseconds = 100;
constexpr int kWheelLines = 3;

}  // namespace

int DesktopBackend::ShowMessageBox(HWND, std::u16string_view text, std::u16string_view caption,
                                   UINT) {
  LogMessageBox(caption, text);
  popup_key_ = 0;
  box_.emplace();
  box_->caption = caption;
  box_->text = text;
  Present();
  BoxAction action = BoxAction::kNone;
  while (action == BoxAction::kNone) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, kForegroundPollMilliseconds) == 0) {
      ServiceForegroundRequests();
      continue;
    }
    action = OnBoxEvent(event);
  }
  box_.reset();
  // The window under the box is repainted, which takes the box away.
  if (shown_window_ != nullptr) InvalidateRect(shown_window_, nullptr, FALSE);
  if (action == BoxAction::kCloseApp) RequestClose();
  return IDOK;
}

DesktopBackend::BoxAction DesktopBackend::OnBoxEvent(const SDL_Event& event) {
  switch (event.type) {
    case SDL_QUIT:
      return BoxAction::kCloseApp;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) return BoxAction::kCloseApp;
      OnWindowEvent(event.window);
      return BoxAction::kNone;
    case SDL_KEYDOWN:
      Trace("input");
      return OnBoxKey(event.key);
    case SDL_MOUSEBUTTONDOWN: {
      int x = 0;
      int y = 0;
      if (event.button.button != SDL_BUTTON_LEFT || frame_ == nullptr ||
          !ToDrawable(event.button.x, event.button.y, &x, &y)) {
        return BoxAction::kNone;
      }
      Trace("input");
      const int client_height = ClientHeightFor(frame_->Height());
      const SDL_Rect bar{0, client_height, frame_->Width(), frame_->Height() - client_height};
      return SoftKeyAt(bar, x, y) == 1 ? BoxAction::kClose : BoxAction::kNone;
    }
    case SDL_MOUSEWHEEL: {
      const int steps = event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y
                                                                        : event.wheel.y;
      ScrollBox(-steps * kWheelLines);
      return BoxAction::kNone;
    }
    case SDL_RENDER_TARGETS_RESET:
    case SDL_RENDER_DEVICE_RESET:
      Handle(event);
      return BoxAction::kNone;
    default:
      return BoxAction::kNone;
  }
}

DesktopBackend::BoxAction DesktopBackend::OnBoxKey(const SDL_KeyboardEvent& event) {
  const SDL_Keycode key = event.keysym.sym;
  if ((event.keysym.mod & KMOD_CTRL) != 0 && (key == SDLK_q || key == SDLK_w)) {
    return BoxAction::kCloseApp;
  }
  const int page = std::max(1, box_->layout.visible_lines - 1);
  switch (key) {
    case SDLK_RETURN:
    case SDLK_RETURN2:
    case SDLK_KP_ENTER:
    case SDLK_ESCAPE:
    case SDLK_F1:
    case SDLK_F2:
      // A held key that opened the box does not close it again.
      return event.repeat == 0 ? BoxAction::kClose : BoxAction::kNone;
    case SDLK_UP:
    case SDLK_KP_8:
      ScrollBox(-1);
      break;
    case SDLK_DOWN:
    case SDLK_KP_2:
      ScrollBox(1);
      break;
    case SDLK_PAGEUP:
      ScrollBox(-page);
      break;
    case SDLK_PAGEDOWN:
    case SDLK_SPACE:
      ScrollBox(page);
      break;
    case SDLK_HOME:
      ScrollBox(-(1 << 24));
      break;
    case SDLK_END:
      ScrollBox(1 << 24);
      break;
    default:
      break;
  }
  return BoxAction::kNone;
}

void DesktopBackend::ScrollBox(int lines) {
  const int last = LastFirstLine(box_->layout, box_->lines.size());
  const int first = static_cast<int>(
      std::clamp<std::int64_t>(std::int64_t{box_->first_line} + lines, 0, last));
  if (first == box_->first_line) return;
  box_->first_line = first;
  Present();
}

// For tests and diagnosis (CYCLUNE_MESSAGE_LOG): each box as one JSON line, as the headless
// runner writes them.
void DesktopBackend::LogMessageBox(std::u16string_view caption, std::u16string_view text) {
  if (message_log_ == nullptr) return;
  std::fputs(MessageBoxJson(caption, text).c_str(), message_log_);
  std::fputc('\n', message_log_);
  std::fflush(message_log_);
}

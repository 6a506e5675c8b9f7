#include "platform/terminal/terminal_backend.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include "platform/instance/single_instance.h"

namespace {

// The key of a terminal input; Key::kNone for inputs that are no key.
Key KeyOf(const TerminalInput& input) {
  switch (input.key) {
    case TerminalInput::Key::kUp:
      return Key::kUp;
    case TerminalInput::Key::kDown:
      return Key::kDown;
    case TerminalInput::Key::kLeft:
      return Key::kLeft;
    case TerminalInput::Key::kRight:
      return Key::kRight;
    case TerminalInput::Key::kEnter:
      return Key::kEnter;
    case TerminalInput::Key::kEscape:
      return Key::kEscape;
    case TerminalInput::Key::kF1:
      return Key::kF1;
    case TerminalInput::Key::kF2:
      return Key::kF2;
    case TerminalInput::Key::kPageUp:
      return Key::kPageUp;
    case TerminalInput::Key::kPageDown:
      return Key::kPageDown;
    case TerminalInput::Key::kHome:
      return Key::kHome;
    case TerminalInput::Key::kEnd:
      return Key::kEnd;
    case TerminalInput::Key::kInterrupt:
      return Key::kInterrupt;
    case TerminalInput::Key::kCharacter:
      return KeyOfCharacter(input.character);
    default:
      return Key::kNone;
  }
}

// Ended by its Finish function alone: an exit() from deep inside leaves it as it is.
TerminalBackend* g_backend = nullptr;

}  // namespace

TerminalBackend::TerminalBackend(std::unique_ptr<TerminalScreen> screen)
    : screen_(std::move(screen)) {}

ClientSize TerminalBackend::DefaultClientSize() const {
  return ClientSize{screen_->Columns(), ClientRows()};
}

int TerminalBackend::ClientRows() const { return std::max(0, screen_->Rows() - 1); }

void TerminalBackend::ComeForward() {
  // Nothing can be raised in a terminal: the bell says that the running one was asked for.
  screen_->Bell();
  Draw(true);
}

// --- input ---------------------------------------------------------------------------------

TerminalBackend::Event TerminalBackend::NextEvent() {
  for (;;) {
    const SignalEvents arrived = TakeSignalEvents();
    signals_.end |= arrived.end;
    signals_.hang_up |= arrived.hang_up;
    signals_.resize |= arrived.resize;
    signals_.resumed |= arrived.resumed;
    if (std::exchange(signals_.end, false)) {
      return Event{
          std::exchange(signals_.hang_up, false) ? Event::Kind::kHangUp : Event::Kind::kEnd, {}};
    }
    if (std::exchange(signals_.resize, false)) return Event{Event::Kind::kResize, {}};
    if (std::exchange(signals_.resumed, false)) return Event{Event::Kind::kResumed, {}};
    Event event;
    if (screen_->ReadInput(&event.input)) return event;
    std::array<pollfd, 3> fds{pollfd{screen_->InputFd(), POLLIN, 0},
                              pollfd{SignalWakeFd(), POLLIN, 0},
                              pollfd{ForegroundRequestSocket(), POLLIN, 0}};
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      return Event{Event::Kind::kHangUp, {}};  // nothing left to wait on
    }
    if ((fds[2].revents & POLLIN) != 0) return Event{Event::Kind::kForeground, {}};
    if ((fds[0].revents & (POLLIN | POLLHUP | POLLERR | POLLNVAL)) != 0) {
      if (screen_->ReadInput(&event.input)) return event;
      // Readable yet nothing decoded is a byte that is not text in the terminal's encoding,
      // read and dropped; only a hang-up with nothing left to read ends the input.
      if (screen_->InputEnded(fds[0].revents)) {
        return Event{Event::Kind::kHangUp, {}};
      }
    }
  }
}

bool TerminalBackend::WaitEvents(std::vector<UiEvent>* events) {
  // A terminal that has gone stays gone: if the window outlived the quit, the input ends.
  if (hung_up_ || shown_window_ == nullptr) return false;
  const Event event = NextEvent();
  switch (event.kind) {
    case Event::Kind::kHangUp:
      hung_up_ = true;
      events->push_back(EventOf(UiEvent::Kind::kQuit));
      break;
    case Event::Kind::kEnd:
      events->push_back(EventOf(UiEvent::Kind::kQuit));
      break;
    case Event::Kind::kResize:
      FollowSize(events);
      break;
    case Event::Kind::kResumed:
      screen_->Resume();
      events->push_back(EventOf(UiEvent::Kind::kRedraw));
      break;
    case Event::Kind::kForeground:
      events->push_back(EventOf(UiEvent::Kind::kWake));
      break;
    case Event::Kind::kInput:
      HandleInput(event.input, events);
      break;
  }
  return true;
}

// The one place where terminal input becomes neutral events. A terminal reports no key
// releases: each key is pressed and released at once, and so is the button.
void TerminalBackend::HandleInput(const TerminalInput& input, std::vector<UiEvent>* events) {
  switch (input.key) {
    case TerminalInput::Key::kResize:
      FollowSize(events);
      return;
    case TerminalInput::Key::kPress:
      events->push_back(PointerDownEvent(HitAt(input.x, input.y)));
      events->push_back(PointerUpEvent(input.x, input.y));
      return;
    case TerminalInput::Key::kWheelUp:
    case TerminalInput::Key::kWheelDown: {
      UiEvent wheel = EventOf(UiEvent::Kind::kWheel);
      wheel.steps = input.key == TerminalInput::Key::kWheelUp ? -1 : 1;
      events->push_back(wheel);
      return;
    }
    default:
      break;
  }
  const Key key = KeyOf(input);
  if (const UiEvent down = KeyEventOf(key, kNoModifier, true); down.kind != UiEvent::Kind::kNone) {
    events->push_back(down);
  }
  if (const UiEvent up = KeyEventOf(key, kNoModifier, false); up.kind != UiEvent::Kind::kNone) {
    events->push_back(up);
  }
}

// What the screen shows at cell (x, y).
ModalHit TerminalBackend::HitAt(int x, int y) const {
  if (y == screen_->Rows() - 1) {
    return ModalHit{ModalHit::Place::kSoftKey, x < CurrentBar().split ? 1 : 2, x, y};
  }
  if (modal_->showing() == ModalModel::Showing::kPopup) {
    if (const int item = PopupItemAt(PopupLayout(), x, y); item >= 0) {
      return ModalHit{ModalHit::Place::kPopupItem, item, x, y};
    }
  }
  const bool client = x >= 0 && y >= 0 && x < screen_->Columns() && y < ClientRows();
  return ModalHit{client ? ModalHit::Place::kClient : ModalHit::Place::kNothing, 0, x, y};
}

// The client area follows the terminal's size; the loop then paints it anew.
void TerminalBackend::FollowSize(std::vector<UiEvent>* events) {
  screen_->FollowSize();
  if (shown_window_ != nullptr) {
    const Canvas* canvas = shown_window_->canvas();
    if (canvas == nullptr || canvas->Width() != screen_->Columns() ||
        canvas->Height() != ClientRows()) {
      shown_window_->Resize(screen_->Columns(), ClientRows());
    }
  }
  const bool box = modal_->showing() == ModalModel::Showing::kMessageBox;
  events->push_back(EventOf(box ? UiEvent::Kind::kRedraw : UiEvent::Kind::kResized));
}

TerminalBackend* OpenTerminalBackend(int in_fd, int out_fd, std::string* error) {
  std::unique_ptr<TerminalScreen> screen = TerminalScreen::Open(in_fd, out_fd, error);
  if (screen == nullptr) return nullptr;
  delete g_backend;
  g_backend = new TerminalBackend(std::move(screen));
  return g_backend;
}

void CloseTerminalBackend() { delete std::exchange(g_backend, nullptr); }

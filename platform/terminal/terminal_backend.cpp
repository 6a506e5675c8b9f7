#include "platform/terminal/terminal_backend.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include "platform/instance/single_instance.h"

namespace {

using Key = TerminalInput::Key;

// The platform's key code of a character key: digits and letters (as upper case), space.
UINT VirtualKeyOf(char32_t c) {
  if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || c == U' ') {
    return static_cast<UINT>(c);
  }
  if (c >= U'a' && c <= U'z') return static_cast<UINT>(c - U'a' + U'A');
  return 0;
}

// The platform's key code of a key; 0 for inputs that are not keys of the platform's.
UINT VirtualKeyOf(const TerminalInput& input) {
  switch (input.key) {
    case Key::kUp:
      return VK_UP;
    case Key::kDown:
      return VK_DOWN;
    case Key::kLeft:
      return VK_LEFT;
    case Key::kRight:
      return VK_RIGHT;
    case Key::kEnter:
      return VK_RETURN;
    case Key::kEscape:
      return VK_ESCAPE;
    case Key::kF1:
      return VK_F1;
    case Key::kF2:
      return VK_F2;
    case Key::kPageUp:
      return VK_PRIOR;
    case Key::kPageDown:
      return VK_NEXT;
    case Key::kHome:
      return VK_HOME;
    case Key::kEnd:
      return VK_END;
    case Key::kCharacter:
      return VirtualKeyOf(input.character);
    default:
      return 0;
  }
}

TerminalBackend* g_backend = nullptr;

}  // namespace

TerminalBackend::TerminalBackend(std::unique_ptr<TerminalScreen> screen)
    : screen_(std::move(screen)) {}

void TerminalBackend::DefaultClientSize(int* width, int* height) {
  *width = screen_->Columns();
  *height = ClientRows();
}

int TerminalBackend::ClientRows() const { return std::max(0, screen_->Rows() - 1); }

void TerminalBackend::WindowPainted(HWND window) {
  if (window != InputWindow()) return;
  const auto* cells = dynamic_cast<const CellCanvas*>(ClientCanvas(window));
  if (cells == nullptr) return;
  shown_ = *cells;
  painted_ = true;
  Present();
}

void TerminalBackend::WindowDestroyed(HWND) { modal_.CloseAll(); }

void TerminalBackend::MenuBarChanged(HWND) {
  modal_.SoftKeysChanged();
  if (painted_) Present();  // before the first paint, that paint draws the bar
}

void TerminalBackend::BringToForeground(HWND) {
  // Nothing can be raised in a terminal: the bell says that the running one was asked for.
  screen_->Bell();
  Present(true);
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

bool TerminalBackend::WaitForInput() {
  if (std::exchange(end_pending_, false)) return RequestClose();
  if (InputWindow() == nullptr) return false;
  return HandleEvent(NextEvent());
}

int TerminalBackend::ShowMessageBox(HWND, std::u16string_view text, std::u16string_view caption,
                                    UINT) {
  modal_.OpenMessageBox(caption, text);
  Present();
  // The owner's messages wait in the queue until the box is closed.
  while (modal_.showing() == ModalModel::Showing::kMessageBox && HandleEvent(NextEvent())) {
  }
  Present();
  return IDOK;
}

// False when no input will ever come again.
bool TerminalBackend::HandleEvent(const Event& event) {
  switch (event.kind) {
    case Event::Kind::kHangUp:
      hung_up_ = true;
      return RequestClose();
    case Event::Kind::kEnd:
      return RequestClose();
    case Event::Kind::kResize:
      FollowSize();
      return true;
    case Event::Kind::kResumed:
      screen_->Resume();
      Present(true);
      return true;
    case Event::Kind::kForeground:
      ServiceForegroundRequests();
      return true;
    case Event::Kind::kInput:
      HandleInput(event.input);
      return true;
  }
  return true;
}

// The one place where terminal input becomes the modal layer's. A terminal reports no key
// releases: each key is pressed and released at once, and so is the button.
void TerminalBackend::HandleInput(const TerminalInput& input) {
  bool changed = false;
  switch (input.key) {
    case Key::kInterrupt:
      RequestClose();
      return;
    case Key::kResize:
      FollowSize();
      return;
    case Key::kPress:
      changed = modal_.PointerDown(HitAt(input.x, input.y));
      changed |= modal_.PointerUp(input.x, input.y);
      break;
    case Key::kWheelUp:
    case Key::kWheelDown:
      changed = modal_.Wheel(input.key == Key::kWheelUp ? -1 : 1);
      break;
    default:
      if (const UINT key = VirtualKeyOf(input); key != 0) {
        changed = modal_.KeyDown(key, false);
        changed |= modal_.KeyUp(key);
      }
      break;
  }
  if (changed) Present();
}

// What the screen shows at cell (x, y).
ModalHit TerminalBackend::HitAt(int x, int y) const {
  if (y == screen_->Rows() - 1) {
    return ModalHit{ModalHit::Place::kSoftKey, x < CurrentBar().split ? 1 : 2, x, y};
  }
  if (modal_.showing() == ModalModel::Showing::kPopup) {
    if (const int item = PopupItemAt(PopupLayout(), x, y); item >= 0) {
      return ModalHit{ModalHit::Place::kPopupItem, item, x, y};
    }
  }
  const bool client = x >= 0 && y >= 0 && x < screen_->Columns() && y < ClientRows();
  return ModalHit{client ? ModalHit::Place::kClient : ModalHit::Place::kNothing, 0, x, y};
}

bool TerminalBackend::RequestClose() {
  // An open box closes first; the window closes once the message loop runs again.
  if (modal_.showing() == ModalModel::Showing::kMessageBox) {
    modal_.CloseAll();
    end_pending_ = true;
    return true;
  }
  modal_.CloseAll();
  HWND window = InputWindow();
  // A terminal that has gone stays gone: if the window outlives one close, the loop ends.
  if (window == nullptr || (close_posted_ && hung_up_)) return false;
  close_posted_ = true;
  // Closing the window destroys it, which ends the program as "Exit" does.
  PostMessageW(window, WM_CLOSE, 0, 0);
  return true;
}

void TerminalBackend::FollowSize() {
  screen_->FollowSize();
  if (HWND window = InputWindow()) {
    const Canvas* canvas = ClientCanvas(window);
    if (canvas == nullptr || canvas->Width() != screen_->Columns() ||
        canvas->Height() != ClientRows()) {
      ResizeClientArea(window, screen_->Columns(), ClientRows());
    }
    // The loop waits for the open box, so the month behind it is painted for the new size
    // here (which presents it, the box on top).
    if (modal_.showing() == ModalModel::Showing::kMessageBox) UpdateWindow(window);
  }
  if (modal_.showing() == ModalModel::Showing::kMessageBox) Present(true);
}

TerminalBackend* InstallTerminalBackend(int in_fd, int out_fd, std::string* error) {
  std::unique_ptr<TerminalScreen> screen = TerminalScreen::Open(in_fd, out_fd, error);
  if (screen == nullptr) return nullptr;
  auto backend = std::make_unique<TerminalBackend>(std::move(screen));
  g_backend = backend.get();
  InstallWindowBackend(std::move(backend));
  return g_backend;
}

void RemoveTerminalBackend() {
  if (g_backend != nullptr && CurrentWindowBackend() == g_backend) InstallWindowBackend(nullptr);
  g_backend = nullptr;
}

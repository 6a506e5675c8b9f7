#include "platform/terminal/terminal_backend.h"

#include <poll.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include "platform/single_instance.h"

namespace {

using Key = TerminalInput::Key;

constexpr WPARAM kLeftButton = 0x0001;      // MK_LBUTTON
constexpr LPARAM kKeyDownFlags = 1;         // repeat count 1
constexpr LPARAM kKeyUpFlags = 0xC0000001;  // repeat 1, previous state down, released

void PostKey(HWND window, UINT key) {
  PostMessageW(window, WM_KEYDOWN, key, kKeyDownFlags);
  PostMessageW(window, WM_KEYUP, key, kKeyUpFlags);
}

// The platform's key code of a character key: digits and letters (as upper case), space.
UINT VirtualKeyOf(char32_t c) {
  if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || c == U' ') {
    return static_cast<UINT>(c);
  }
  if (c >= U'a' && c <= U'z') return static_cast<UINT>(c - U'a' + U'A');
  return 0;
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

void TerminalBackend::WindowDestroyed(HWND window) {
  if (popup_.has_value() && popup_->owner == window) popup_.reset();
}

void TerminalBackend::MenuBarChanged(HWND) {
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
      return Event{std::exchange(signals_.hang_up, false) ? Event::Kind::kHangUp
                                                          : Event::Kind::kEnd, {}};
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
  HWND window = InputWindow();
  if (window == nullptr) return false;
  const Event event = NextEvent();
  switch (event.kind) {
    case Event::Kind::kHangUp:
      hung_up_ = true;
      popup_.reset();
      return RequestClose();
    case Event::Kind::kEnd:
      popup_.reset();
      return RequestClose();
    case Event::Kind::kResize:
      FollowSize();
      return true;
    case Event::Kind::kResumed:
      screen_->Resume();
      Present(true);
      return true;
    case Event::Kind::kForeground:
      return true;  // GetMessageW takes the request next
    case Event::Kind::kInput:
      return popup_.has_value() ? HandlePopupInput(event.input)
                                : HandleWindowInput(window, event.input);
  }
  return true;
}

// The one place where terminal input becomes the window's messages.
bool TerminalBackend::HandleWindowInput(HWND window, const TerminalInput& input) {
  switch (input.key) {
    case Key::kUp: PostKey(window, VK_UP); break;
    case Key::kDown: PostKey(window, VK_DOWN); break;
    case Key::kLeft: PostKey(window, VK_LEFT); break;
    case Key::kRight: PostKey(window, VK_RIGHT); break;
    case Key::kEnter: PostKey(window, VK_RETURN); break;
    case Key::kEscape: PostKey(window, VK_ESCAPE); break;
    case Key::kF1: PressKey(window, 1); break;
    case Key::kF2: PressKey(window, 2); break;
    case Key::kInterrupt: return RequestClose();
    case Key::kResize: FollowSize(); break;
    case Key::kPress: Tap(window, input.x, input.y); break;
    case Key::kCharacter:
      if (const UINT key = VirtualKeyOf(input.character); key != 0) PostKey(window, key);
      break;
    default: break;
  }
  return true;
}

bool TerminalBackend::HandlePopupInput(const TerminalInput& input) {
  const int count = static_cast<int>(popup_->items.size());
  switch (input.key) {
    case Key::kUp:
    case Key::kWheelUp:
      popup_->selected = (popup_->selected + count - 1) % count;
      break;
    case Key::kDown:
    case Key::kWheelDown:
      popup_->selected = (popup_->selected + 1) % count;
      break;
    case Key::kEnter:
      ChooseItem(popup_->selected);
      return true;
    case Key::kCharacter:
      if (input.character >= U'1' && input.character < U'1' + static_cast<char32_t>(count)) {
        ChooseItem(static_cast<int>(input.character - U'1'));
        return true;
      }
      break;
    case Key::kPress:
      if (const int item = PopupItemAt(PopupLayout(), input.x, input.y); item >= 0) {
        ChooseItem(item);
        return true;
      }
      popup_.reset();  // a press outside the popup only closes it
      break;
    case Key::kEscape:
    case Key::kF1:
    case Key::kF2:
      popup_.reset();
      break;
    case Key::kInterrupt:
      popup_.reset();
      return RequestClose();
    case Key::kResize:
      FollowSize();
      break;
    default:
      break;
  }
  Present();
  return true;
}

void TerminalBackend::ChooseItem(int item) {
  const Popup popup = *popup_;
  popup_.reset();
  ChooseMenuItem(popup.owner, popup.key, item);
  Present();
}

void TerminalBackend::PressKey(HWND window, int key) {
  const std::vector<SoftKey> keys = SoftKeysOf(window);
  if (key < 1 || static_cast<std::size_t>(key) > keys.size()) return;
  PressSoftKey(window, key);
  const SoftKey& pressed = keys[static_cast<std::size_t>(key) - 1];
  if (!pressed.menu.empty()) {
    popup_ = Popup{window, key, pressed.menu, 0};
    Present();
  }
}

void TerminalBackend::Tap(HWND window, int x, int y) {
  if (y == screen_->Rows() - 1) {
    PressKey(window, x < CurrentBar().split ? 1 : 2);
    return;
  }
  if (x < 0 || y < 0 || y >= ClientRows()) return;
  const LPARAM position = MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
  PostMessageW(window, WM_LBUTTONDOWN, kLeftButton, position);
  PostMessageW(window, WM_LBUTTONUP, 0, position);
}

bool TerminalBackend::RequestClose() {
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
  }
  // Under a message box no paint comes until it closes: show the last picture now.
  if (box_.has_value()) Present(true);
}

// --- message boxes ---------------------------------------------------------------------------

int TerminalBackend::ShowMessageBox(HWND, std::u16string_view text,
                                    std::u16string_view caption, UINT) {
  popup_.reset();
  box_ = BoxState{std::u16string(text), std::u16string(caption), 0};
  Present();
  for (bool open = true; open;) {
    const Event event = NextEvent();
    switch (event.kind) {
      case Event::Kind::kHangUp:
        hung_up_ = true;
        [[fallthrough]];
      case Event::Kind::kEnd:
        end_pending_ = true;  // the box closes; the window closes once the loop runs again
        open = false;
        break;
      case Event::Kind::kResize:
        FollowSize();
        break;
      case Event::Kind::kResumed:
        screen_->Resume();
        break;
      case Event::Kind::kForeground:
        ServiceForegroundRequests();
        break;
      case Event::Kind::kInput:
        open = HandleBoxInput(event.input);
        break;
    }
    if (open) Present();
  }
  box_.reset();
  Present();
  return IDOK;
}

bool TerminalBackend::HandleBoxInput(const TerminalInput& input) {
  const BoxLayout layout = MessageBoxLayout();
  const int page = std::max(1, layout.visible_lines);
  int& scroll = box_->scroll;
  switch (input.key) {
    case Key::kUp: case Key::kWheelUp: scroll -= 1; break;
    case Key::kDown: case Key::kWheelDown: scroll += 1; break;
    case Key::kPageUp: scroll -= page; break;
    case Key::kPageDown: scroll += page; break;
    case Key::kHome: scroll = 0; break;
    case Key::kEnd: scroll = MaxScroll(layout); break;
    case Key::kEnter: case Key::kEscape: case Key::kF1: case Key::kF2: case Key::kPress:
      return false;
    case Key::kInterrupt:
      end_pending_ = true;
      return false;
    case Key::kResize:
      FollowSize();
      break;
    default:
      break;
  }
  scroll = std::clamp(scroll, 0, MaxScroll(layout));
  return true;
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

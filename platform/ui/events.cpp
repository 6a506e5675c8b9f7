#include "platform/ui/events.h"

namespace {

bool InRange(std::uint32_t code, Key first, Key last) {
  return code >= static_cast<std::uint32_t>(first) && code <= static_cast<std::uint32_t>(last);
}

struct QuitChord {
  Key key;
  unsigned modifiers;
};
constexpr QuitChord kQuitChords[] = {{Key::kQ, kCtrl}, {Key::kW, kCtrl}, {Key::kInterrupt, 0}};

}  // namespace

Key KeyOfCode(std::uint32_t code) {
  if (InRange(code, Key::k0, Key::k9) || InRange(code, Key::kA, Key::kZ) ||
      InRange(code, Key::kF1, Key::kF12) || InRange(code, Key::kSpace, Key::kDown)) {
    return static_cast<Key>(code);
  }
  switch (static_cast<Key>(code)) {
    case Key::kBack:
    case Key::kTab:
    case Key::kEnter:
    case Key::kEscape:
    case Key::kInsert:
    case Key::kDelete:
      return static_cast<Key>(code);
    default:
      return Key::kNone;
  }
}

Key KeyOfCharacter(char32_t c) {
  if (c >= U'a' && c <= U'z') c = c - U'a' + U'A';
  if ((c >= U'0' && c <= U'9') || (c >= U'A' && c <= U'Z') || c == U' ') {
    return static_cast<Key>(c);
  }
  return Key::kNone;
}

int DigitOf(Key key) {
  const auto code = static_cast<int>(key);
  return key >= Key::k0 && key <= Key::k9 ? code - static_cast<int>(Key::k0) : -1;
}

UiEvent KeyDownEvent(Key key, bool repeat) {
  UiEvent event = EventOf(UiEvent::Kind::kKeyDown);
  event.key = key;
  event.repeat = repeat;
  return event;
}

UiEvent KeyUpEvent(Key key) {
  UiEvent event = EventOf(UiEvent::Kind::kKeyUp);
  event.key = key;
  return event;
}

UiEvent PointerDownEvent(const ModalHit& hit) {
  UiEvent event = EventOf(UiEvent::Kind::kPointerDown);
  event.hit = hit;
  event.x = hit.x;
  event.y = hit.y;
  return event;
}

UiEvent PointerUpEvent(int x, int y) {
  UiEvent event = EventOf(UiEvent::Kind::kPointerUp);
  event.x = x;
  event.y = y;
  return event;
}

UiEvent CommandEvent(unsigned command) {
  UiEvent event = EventOf(UiEvent::Kind::kCommand);
  event.command = command;
  return event;
}

UiEvent EventOf(UiEvent::Kind kind) {
  UiEvent event;
  event.kind = kind;
  return event;
}

UiEvent KeyEventOf(Key key, unsigned modifiers, bool down, bool repeat) {
  for (const QuitChord& chord : kQuitChords) {
    if (chord.key == key && (modifiers & chord.modifiers) == chord.modifiers) {
      return down ? EventOf(UiEvent::Kind::kQuit) : UiEvent{};
    }
  }
  if (key == Key::kNone || (modifiers & (kCtrl | kAlt | kLogo)) != 0) return UiEvent{};
  return down ? KeyDownEvent(key, repeat) : KeyUpEvent(key);
}

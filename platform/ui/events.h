// The neutral events a front end hands the program's loop (app/event_loop.h): keys by
// Cyclune's own key codes, taps and the wheel at what they hit, a new client size, the end of
// the run, and the instance socket waking the loop. One table turns key codes (the headless
// script's `key 0x28`) into keys, and one decides which chords end the program, so no front
// end decides either itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The client area a front end starts with when it has no size of its own: the month view's
// screen, 240 x 266 units.
inline constexpr int kDefaultClientWidth = 240;
inline constexpr int kDefaultClientHeight = 266;

// A key, numbered as the headless script numbers it. Digits and letters are their upper-case
// characters ('0' 0x30, 'A' 0x41).
enum class Key : std::uint8_t {
  kNone = 0,
  kBack = 0x08,
  kTab = 0x09,
  kEnter = 0x0D,
  kEscape = 0x1B,
  kSpace = 0x20,
  kPageUp = 0x21,
  kPageDown = 0x22,
  kEnd = 0x23,
  kHome = 0x24,
  kLeft = 0x25,
  kUp = 0x26,
  kRight = 0x27,
  kDown = 0x28,
  kInsert = 0x2D,
  kDelete = 0x2E,
  k0 = 0x30,
  k9 = 0x39,
  kA = 0x41,
  kC = 0x43,
  kQ = 0x51,
  kW = 0x57,
  kZ = 0x5A,
  kF1 = 0x70,
  kF2 = 0x71,
  kF12 = 0x7B,
  kInterrupt = 0xFE,  // a terminal's interrupt character (Ctrl+C), which ends the program
};

// The key with code `code`; Key::kNone for codes that name no key.
Key KeyOfCode(std::uint32_t code);
// The key of a character: digits, letters (either case) and space; Key::kNone otherwise.
Key KeyOfCharacter(char32_t c);
// The digit 0-9 of a digit key; -1 for other keys.
int DigitOf(Key key);

// A soft key of the bar: its label, the command it gives, and its popup's items with theirs
// (none: no popup).
struct SoftKey {
  std::u16string label;
  unsigned command = 0;
  std::vector<std::u16string> menu;
  std::vector<unsigned> menu_commands;
};

// Modifier keys held with a key.
inline constexpr unsigned kNoModifier = 0;
inline constexpr unsigned kCtrl = 1;
inline constexpr unsigned kAlt = 2;
inline constexpr unsigned kLogo = 4;

// Where a press landed, as the front end's drawing lays things out.
struct ModalHit {
  enum class Place {
    kClient,     // the client area at (x, y), outside any popup
    kSoftKey,    // soft key `index` (1 left, 2 right) on the bar
    kPopupItem,  // item `index` (0-based) of the open popup
    kNothing,    // anywhere else
  };
  Place place = Place::kNothing;
  int index = 0;
  int x = 0;
  int y = 0;

  bool operator==(const ModalHit&) const = default;
};

struct UiEvent {
  enum class Kind {
    kNone,
    kKeyDown,      // `key`; `repeat`: it was already down
    kKeyUp,        // `key`
    kPointerDown,  // the left button (a tap) pressed on `hit`
    kPointerUp,    // released at client point (x, y)
    kWheel,        // `steps` notches, positive towards the user
    kResized,      // the front end gave the client area a new size: lay out and paint anew
    kRedraw,       // the front end needs a frame drawn again (its scale or device changed)
    kCommand,      // menu command `command` (the headless script's `command 40003`)
    kWake,         // the instance socket has requests: come forward, record a period
    kQuit,         // the window was closed, the terminal went or a quit key was pressed
  };
  Kind kind = Kind::kNone;
  Key key = Key::kNone;
  bool repeat = false;
  ModalHit hit{};
  int x = 0;
  int y = 0;
  int steps = 0;
  unsigned command = 0;

  bool operator==(const UiEvent&) const = default;
};

UiEvent KeyDownEvent(Key key, bool repeat = false);
UiEvent KeyUpEvent(Key key);
UiEvent PointerDownEvent(const ModalHit& hit);
UiEvent PointerUpEvent(int x, int y);
UiEvent CommandEvent(unsigned command);
UiEvent EventOf(UiEvent::Kind kind);

// A key as the front end read it, pressed (`down`) or released, with the modifiers held:
// Ctrl+Q, Ctrl+W and the interrupt key pressed are kQuit; other chords with Ctrl, Alt or the
// logo key belong to the desktop and are kNone, as is Key::kNone; the rest are key events.
UiEvent KeyEventOf(Key key, unsigned modifiers, bool down, bool repeat = false);

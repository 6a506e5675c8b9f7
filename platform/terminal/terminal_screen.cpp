#include "platform/terminal/terminal_screen.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <optional>
#include <unordered_map>
#include <utility>

#ifndef NCURSES_WIDECHAR
#define NCURSES_WIDECHAR 1
#endif
#include <curses.h>
#include <term.h>

namespace {

constexpr int kDirectColours = 0x1000000;
constexpr int kEscapeDelayMs = 25;  // a lone Escape is told from a key's sequence this fast
// xterm's mouse reporting modes, switched off on a rescue whatever ncurses switched on.
// Every press and release is asked for, though few are used: a report that ncurses filters
// out makes it wait for the next input, even without delay. Clicks are not asked for, or a
// press and its release read together would be merged into one and the press lost.
constexpr mmask_t kMouseEvents =
    BUTTON1_PRESSED | BUTTON1_RELEASED | BUTTON2_PRESSED | BUTTON2_RELEASED | BUTTON3_PRESSED |
    BUTTON3_RELEASED | BUTTON4_PRESSED | BUTTON4_RELEASED | BUTTON5_PRESSED | BUTTON5_RELEASED;
constexpr const char* kMouseOff = "\033[?1006l\033[?1002l\033[?1000l";

// A channel in ncurses' colour scale (0 to 1000), rounded up: terminals scale it back
// down with truncation, which then gives the channel exactly.
int Permille(std::uint8_t channel) { return (channel * 1000 + 254) / 255; }

// A terminfo string capability without its padding ("$<5>"); empty when absent.
std::string Capability(const char* name) {
  const char* value = tigetstr(name);
  if (value == nullptr || value == reinterpret_cast<char*>(-1)) return {};
  std::string text;
  for (const char* p = value; *p != '\0'; ++p) {
    if (p[0] == '$' && p[1] == '<') {
      const char* end = std::strchr(p, '>');
      if (end != nullptr) {
        p = end;
        continue;
      }
    }
    text.push_back(*p);
  }
  return text;
}

// What terminfo says of a terminal type.
struct TypeTraits {
  bool known = false;
  bool addressable = false;  // the cursor can be put anywhere (cup)
  bool direct = false;       // 24-bit colour
};

TypeTraits ProbeType(const std::string& type, int fd) {
  TERMINAL* previous = cur_term;
  int status = 0;
  TypeTraits traits;
  if (setupterm(type.c_str(), fd, &status) != OK) {
    set_curterm(previous);
    return traits;
  }
  traits.known = true;
  const char* cup = tigetstr("cup");
  traits.addressable = cup != nullptr && cup != reinterpret_cast<char*>(-1);
  traits.direct = tigetnum("colors") >= kDirectColours;
  del_curterm(cur_term);
  set_curterm(previous);
  return traits;
}

// $TERM, or its "-direct" kind (xterm-256color -> xterm-direct) when COLORTERM says the
// terminal takes 24-bit colour that $TERM's entry does not describe.
std::string ChooseTerminalType(const std::string& term, const TypeTraits& traits, int fd) {
  const char* colour_term = std::getenv("COLORTERM");
  const bool says_direct = colour_term != nullptr && (std::strcmp(colour_term, "truecolor") == 0 ||
                                                      std::strcmp(colour_term, "24bit") == 0);
  if (!says_direct || traits.direct) return term;
  const std::string candidate = term.substr(0, term.find('-')) + "-direct";
  const TypeTraits candidate_traits = ProbeType(candidate, fd);
  return candidate_traits.direct && candidate_traits.addressable ? candidate : term;
}

// The input a mouse report stands for; kNone for those not used (releases, other buttons).
TerminalInput MouseInput(const MEVENT& event) {
  TerminalInput input;
  if ((event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)) != 0) {
    input.key = TerminalInput::Key::kPress;
    input.x = event.x;
    input.y = event.y;
  } else if ((event.bstate & BUTTON4_PRESSED) != 0) {
    input.key = TerminalInput::Key::kWheelUp;
  } else if ((event.bstate & BUTTON5_PRESSED) != 0) {
    input.key = TerminalInput::Key::kWheelDown;
  }
  return input;
}

}  // namespace

struct TerminalScreen::Session {
  SCREEN* screen = nullptr;
  std::FILE* in = nullptr;
  std::FILE* out = nullptr;
  std::unordered_map<std::uint64_t, int> pairs;
  std::array<std::optional<Rgb>, 256> defined;  // palette entries given exact colours
  std::deque<TerminalInput> mouse;              // reports read together, oldest first
  // The last style drawn and what it came to: neighbouring cells mostly share one, and
  // choosing colours for each cell anew was a good part of a screen's drawing.
  std::optional<CellStyle> last_style;
  int last_attributes = 0;
  int last_pair = 0;
};

std::unique_ptr<TerminalScreen> TerminalScreen::Open(int in_fd, int out_fd, std::string* error) {
  const char* term = std::getenv("TERM");
  if (term == nullptr || term[0] == '\0') {
    *error = "TERM is not set, so the terminal's kind is unknown";
    return nullptr;
  }
  const TypeTraits traits = ProbeType(term, out_fd);
  if (!traits.known || !traits.addressable) {
    *error = "the terminal type '" + std::string(term) + "' is " +
             (traits.known ? "one that cannot place the cursor" : "not known to terminfo");
    return nullptr;
  }
  std::unique_ptr<TerminalScreen> screen(new TerminalScreen());
  screen->session_ = std::make_unique<Session>();
  Session& session = *screen->session_;
  screen->in_fd_ = in_fd;
  screen->out_fd_ = out_fd;
  const std::string type = ChooseTerminalType(term, traits, out_fd);
  const int in_copy = dup(in_fd);
  const int out_copy = dup(out_fd);
  session.in = in_copy >= 0 ? fdopen(in_copy, "r") : nullptr;
  session.out = out_copy >= 0 ? fdopen(out_copy, "w") : nullptr;
  if (session.in != nullptr && session.out != nullptr) {
    session.screen = newterm(type.c_str(), session.out, session.in);
  }
  if (session.screen == nullptr) {
    if (session.in != nullptr)
      std::fclose(session.in);
    else if (in_copy >= 0)
      close(in_copy);
    if (session.out != nullptr)
      std::fclose(session.out);
    else if (out_copy >= 0)
      close(out_copy);
    session.in = session.out = nullptr;
    *error = "cannot open the terminal of type '" + type + "'";
    return nullptr;
  }
  set_term(session.screen);
  screen->SetUpSession();
  return screen;
}

void TerminalScreen::SetUpSession() {
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, false);
  keypad(stdscr, true);
  nodelay(stdscr, true);
  leaveok(stdscr, false);  // the cursor stays where each frame puts it
  set_escdelay(kEscapeDelayMs);
  StopFlowControl();
  // Arrows, Home and End in every form terminals send them, whatever terminfo says: some
  // ignore the switch to application mode, and a lone Escape would close a box.
  for (const auto& [sequence, key] : {std::pair{"\033[A", KEY_UP},
                                      {"\033[B", KEY_DOWN},
                                      {"\033[C", KEY_RIGHT},
                                      {"\033[D", KEY_LEFT},
                                      {"\033OA", KEY_UP},
                                      {"\033OB", KEY_DOWN},
                                      {"\033OC", KEY_RIGHT},
                                      {"\033OD", KEY_LEFT},
                                      {"\033[H", KEY_HOME},
                                      {"\033OH", KEY_HOME},
                                      {"\033[1~", KEY_HOME},
                                      {"\033[F", KEY_END},
                                      {"\033OF", KEY_END},
                                      {"\033[4~", KEY_END}}) {
    define_key(sequence, key);
  }
  curs_set(0);
  // NO_COLOR asks for no colour: cells then keep apart by reverse video.
  const char* no_colour = std::getenv("NO_COLOR");
  const bool colour_refused = no_colour != nullptr && no_colour[0] != '\0';
  if (!colour_refused && has_colors() && start_color() == OK) {
    depth_ = DepthForColours(COLORS, COLORS >= kDirectColours);
    redefine_palette_ = depth_ == ColourDepth::kPalette256 && can_change_color();
  }
  mouse_ = mousemask(kMouseEvents, nullptr) != 0;
  mouseinterval(0);  // a press is reported at once, not held back to look for a click
}

// Ctrl+S would freeze all output, F2's included, until Ctrl+Q. ncurses keeps the modes set
// here as the program's (def_prog_mode), and endwin gives back the user's, flow control too.
void TerminalScreen::StopFlowControl() {
  termios modes{};
  if (tcgetattr(in_fd_, &modes) != 0) return;
  modes.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF);
  if (tcsetattr(in_fd_, TCSADRAIN, &modes) == 0) def_prog_mode();
}

TerminalScreen::~TerminalScreen() { Close(); }

int TerminalScreen::Rows() const { return getmaxy(stdscr); }
int TerminalScreen::Columns() const { return getmaxx(stdscr); }

std::string TerminalScreen::RescueSequence() const {
  std::string sequence = mouse_ ? kMouseOff : "";
  sequence += Capability("sgr0") + Capability("cnorm") + Capability("rmkx");
  if (redefine_palette_) sequence += Capability("oc");
  return sequence + Capability("rmcup");
}

int TerminalScreen::ColourNumber(int index, Rgb exact) {
  if (!redefine_palette_ || index < 16 || index > 255 || PaletteColour(index) == exact) {
    return index;  // the entry shows the colour already
  }
  std::optional<Rgb>& entry = session_->defined[static_cast<std::size_t>(index)];
  // An entry holds the first colour that wanted it; a later, different one shares it as is.
  if (!entry.has_value()) {
    init_extended_color(index, Permille(exact.red), Permille(exact.green), Permille(exact.blue));
    entry = exact;
    palette_changed_ = true;
  }
  return index;
}

int TerminalScreen::PairFor(int foreground, int background) {
  const std::uint64_t key = (std::uint64_t{static_cast<std::uint32_t>(foreground)} << 32) |
                            static_cast<std::uint32_t>(background);
  auto [entry, added] = session_->pairs.try_emplace(key, 0);
  if (added) {
    const int pair = alloc_pair(foreground, background);
    entry->second = pair > 0 ? pair : 0;
  }
  return entry->second;
}

int TerminalScreen::StyleAttributes(const CellStyle& style, int* pair) {
  const std::optional<CellStyle>& last = session_->last_style;
  if (last.has_value() && last->foreground == style.foreground &&
      last->background == style.background && last->bold == style.bold &&
      last->terminal_reverse == style.terminal_reverse) {
    *pair = session_->last_pair;
    return session_->last_attributes;
  }
  session_->last_attributes = ChooseAttributes(style, &session_->last_pair);
  session_->last_style = style;
  *pair = session_->last_pair;
  return session_->last_attributes;
}

int TerminalScreen::ChooseAttributes(const CellStyle& style, int* pair) {
  *pair = 0;
  int attributes = style.bold ? A_BOLD : 0;
  if (style.terminal_reverse) return attributes | A_REVERSE;
  const CellColours colours = ColoursFor(style.foreground, style.background, depth_);
  if (colours.bold) attributes |= A_BOLD;
  if (colours.reverse) attributes |= A_REVERSE;
  if (depth_ != ColourDepth::kMonochrome) {
    *pair = PairFor(ColourNumber(colours.foreground, style.foreground),
                    ColourNumber(colours.background, style.background));
  }
  return attributes;
}

void TerminalScreen::PutGlyph(int x, int y, const CellGlyph& glyph, const CellStyle& style) {
  const int width_now = Columns();
  if (x < 0 || y < 0 || x >= width_now || y >= Rows()) return;
  std::array<wchar_t, 4> text{L' ', 0, 0, 0};
  if (x + glyph.width <= width_now) {
    for (std::size_t i = 0; i < glyph.text.size() && glyph.text[i] != 0; ++i) {
      text[i] = static_cast<wchar_t>(glyph.text[i]);
    }
  }
  int pair = 0;
  const auto attributes = static_cast<attr_t>(StyleAttributes(style, &pair));
  cchar_t cell;
  setcchar(&cell, text.data(), attributes, 0, &pair);
  // The last cell of the screen cannot move the cursor on: ncurses says so but draws it.
  mvwadd_wch(stdscr, y, x, &cell);
}

void TerminalScreen::PutCell(int x, int y, const Cell& cell) {
  if (cell.part == Cell::Part::kWideTail) return;
  CellGlyph glyph;
  glyph.text = cell.text;
  glyph.width = cell.part == Cell::Part::kWideLead ? 2 : 1;
  PutGlyph(x, y, glyph, CellStyle{cell.foreground, cell.background, false, false});
}

void TerminalScreen::Flush(bool repaint_all, int cursor_x, int cursor_y) {
  if (repaint_all) clearok(curscr, true);
  wmove(stdscr, std::clamp(cursor_y, 0, std::max(0, Rows() - 1)),
        std::clamp(cursor_x, 0, std::max(0, Columns() - 1)));
  wnoutrefresh(stdscr);
  doupdate();
}

void TerminalScreen::ShowCursor(bool shown) {
  cursor_shown_ = shown;
  curs_set(shown ? 1 : 0);
}

bool TerminalScreen::ReadInput(TerminalInput* input) {
  if (!session_->mouse.empty()) {
    *input = session_->mouse.front();
    session_->mouse.pop_front();
    return true;
  }
  wint_t code = 0;
  const int result = wget_wch(stdscr, &code);
  if (result == ERR) return false;
  using Key = TerminalInput::Key;
  *input = TerminalInput{};
  if (result != KEY_CODE_YES) {
    switch (code) {
      case L'\r':
      case L'\n':
        input->key = Key::kEnter;
        break;
      case 0x1B:
        input->key = Key::kEscape;
        break;
      case 0x03:
        input->key = Key::kInterrupt;
        break;
      default:
        if (code >= 0x20 && code != 0x7F) {
          input->key = Key::kCharacter;
          input->character = static_cast<char32_t>(code);
        }
        break;
    }
    return true;
  }
  switch (code) {
    case KEY_UP:
      input->key = Key::kUp;
      break;
    case KEY_DOWN:
      input->key = Key::kDown;
      break;
    case KEY_LEFT:
      input->key = Key::kLeft;
      break;
    case KEY_RIGHT:
      input->key = Key::kRight;
      break;
    case KEY_ENTER:
      input->key = Key::kEnter;
      break;
    case KEY_F(1):
      input->key = Key::kF1;
      break;
    case KEY_F(2):
      input->key = Key::kF2;
      break;
    case KEY_PPAGE:
      input->key = Key::kPageUp;
      break;
    case KEY_NPAGE:
      input->key = Key::kPageDown;
      break;
    case KEY_HOME:
      input->key = Key::kHome;
      break;
    case KEY_END:
      input->key = Key::kEnd;
      break;
    case KEY_RESIZE:
      input->key = Key::kResize;
      break;
    case KEY_MOUSE:
      ReadMouseReports(input);
      break;
    default:
      break;
  }
  return true;
}

void TerminalScreen::ReadMouseReports(TerminalInput* input) {
  // Reports that arrive together are read in one go; getmouse hands them out newest first.
  std::deque<TerminalInput>& queue = session_->mouse;
  MEVENT event{};
  while (getmouse(&event) == OK) {
    const TerminalInput report = MouseInput(event);
    if (report.key != TerminalInput::Key::kNone) queue.push_front(report);
  }
  if (queue.empty()) return;
  *input = queue.front();
  queue.pop_front();
}

// Readable alone never means the end: a tty that is still there has a byte behind it.
bool TerminalScreen::InputEnded(short poll_events) const {
  return (poll_events & (POLLHUP | POLLERR | POLLNVAL)) != 0 && PendingInputBytes() == 0;
}

int TerminalScreen::PendingInputBytes() const {
  int count = 0;
  return ioctl(in_fd_, FIONREAD, &count) == 0 ? count : 0;
}

bool TerminalScreen::FollowSize() {
  winsize size{};
  if (ioctl(out_fd_, TIOCGWINSZ, &size) != 0 || (size.ws_row == 0 && size.ws_col == 0)) {
    return false;
  }
  // ncurses keeps at least one row and one column; a smaller terminal shows what fits.
  const int rows = size.ws_row > 0 ? size.ws_row : 1;
  const int width_now = size.ws_col > 0 ? size.ws_col : 1;
  if (rows == Rows() && width_now == Columns()) return false;
  resize_term(rows, width_now);
  clearok(curscr, true);
  return true;
}

void TerminalScreen::Bell() { beep(); }

void TerminalScreen::Resume() {
  reset_prog_mode();
  curs_set(cursor_shown_ ? 1 : 0);  // a shell may have changed it meanwhile
  for (std::size_t index = 0; index < session_->defined.size(); ++index) {
    if (!session_->defined[index].has_value()) continue;
    const Rgb exact = *session_->defined[index];
    init_extended_color(static_cast<int>(index), Permille(exact.red), Permille(exact.green),
                        Permille(exact.blue));
  }
  clearok(curscr, true);
}

void TerminalScreen::Close() {
  if (session_ == nullptr || session_->screen == nullptr) return;
  endwin();
  if (palette_changed_) {
    // Put the terminal's own colours back, as endwin may leave the redefined ones.
    const std::string reset = Capability("oc");
    if (!reset.empty()) {
      [[maybe_unused]] const ssize_t ignored = write(out_fd_, reset.data(), reset.size());
    }
  }
  delscreen(session_->screen);
  session_->screen = nullptr;
  std::fclose(session_->in);
  std::fclose(session_->out);
  session_->in = session_->out = nullptr;
}

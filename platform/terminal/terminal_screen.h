// The ncurses session of a terminal run: opens the terminal (with the deepest colour it
// offers), draws cells with Rgb colours, reads keys and mouse presses without waiting,
// follows the terminal's size, rings the bell, and gives the terminal back. Drawing goes to
// the next frame; Flush puts the frame on the terminal in one update. ncurses types stay in
// the .cpp file.
#pragma once

#include <memory>
#include <string>

#include "platform/canvas/cells/cell_canvas.h"
#include "platform/canvas/cells/cell_text.h"
#include "platform/canvas/colours.h"
#include "platform/terminal/terminal_colour.h"

// One input as ncurses delivers it, in the terminal's own terms (no ncurses types).
struct TerminalInput {
  enum class Key {
    kNone,  // something that is not an input of ours (a mouse release, an unknown key)
    kUp,
    kDown,
    kLeft,
    kRight,
    kEnter,
    kEscape,
    kF1,
    kF2,
    kPageUp,
    kPageDown,
    kHome,
    kEnd,
    kInterrupt,  // Ctrl+C read as a character (the terminal does not turn it into SIGINT)
    kResize,     // ncurses noticed a new terminal size
    kCharacter,  // a printable character: `character`
    kPress,      // the left mouse button pressed at cell (x, y)
    kWheelUp,
    kWheelDown,
  };
  Key key = Key::kNone;
  char32_t character = 0;
  int x = 0;
  int y = 0;
};

// How a glyph is drawn: RGB colours, or the terminal's own colours in reverse video.
struct CellStyle {
  Rgb foreground = Rgb{0, 0, 0};
  Rgb background = Rgb{255, 255, 255};
  bool bold = false;
  bool terminal_reverse = false;  // the terminal's default colours, reversed (the soft-key bar)
};

class TerminalScreen {
 public:
  // Opens ncurses on the terminal read from in_fd and written to out_fd, of type $TERM, or
  // of its direct-colour kind when COLORTERM says the terminal takes 24-bit colour and
  // terminfo has that kind; without colour when NO_COLOR is set and not empty. nullptr with
  // *error set when the terminal cannot be used.
  static std::unique_ptr<TerminalScreen> Open(int in_fd, int out_fd, std::string* error);
  ~TerminalScreen();
  TerminalScreen(const TerminalScreen&) = delete;
  TerminalScreen& operator=(const TerminalScreen&) = delete;

  int Rows() const;
  int Columns() const;
  int InputFd() const { return in_fd_; }
  ColourDepth Depth() const { return depth_; }
  // What RescueTerminal writes: the sequences that undo what this session switched on.
  std::string RescueSequence() const;

  // Draws a canvas cell at (x, y) of the screen; cells off the screen are dropped.
  void PutCell(int x, int y, const Cell& cell);
  // Draws a glyph; one that does not fit whole on the screen is drawn as a blank.
  void PutGlyph(int x, int y, const CellGlyph& glyph, const CellStyle& style);
  // Puts the frame on the terminal with the cursor left at (cursor_x, cursor_y), kept on
  // the screen; `repaint_all` sends every cell, not just the changes.
  void Flush(bool repaint_all, int cursor_x, int cursor_y);
  // Shows the cursor (for screen readers and braille displays) or hides it, as it is at the
  // start; it is put where the frame says either way.
  void ShowCursor(bool shown);

  // The next input that is already there; false when there is none.
  bool ReadInput(TerminalInput* input);
  // Bytes waiting on the input, as the terminal reports them (0 at end of input).
  int PendingInputBytes() const;
  // Whether the input has ended for good, given what poll reported for it: the terminal
  // hung up (or the descriptor went bad) and nothing is left to read.
  bool InputEnded(short poll_events) const;

  // Takes the terminal's current size (a window that changed size); true when it changed.
  bool FollowSize();
  void Bell();
  // After the process was stopped and resumed: puts back the session's tty modes (a shell
  // may have put its own in place meanwhile) and the colour definitions.
  void Resume();
  // Gives the terminal back (endwin); drawing afterwards is not allowed.
  void Close();

 private:
  TerminalScreen() = default;
  void SetUpSession();
  void StopFlowControl();
  void ReadMouseReports(TerminalInput* input);
  int StyleAttributes(const CellStyle& style, int* pair);  // ChooseAttributes, remembered
  int ChooseAttributes(const CellStyle& style, int* pair);
  int PairFor(int foreground, int background);
  int ColourNumber(int index, Rgb exact);

  struct Session;
  std::unique_ptr<Session> session_;
  int in_fd_ = -1;
  int out_fd_ = -1;
  ColourDepth depth_ = ColourDepth::kMonochrome;
  bool redefine_palette_ = false;
  bool palette_changed_ = false;
  bool mouse_ = false;
  bool cursor_shown_ = false;
};

// The terminal front end: Cyclune in a text terminal (a console, an ssh session, a machine
// without a display) through ncurses. One character cell is one pixel of the client area,
// which is the whole terminal less its last row; that row holds the soft-key bar ("Options"
// at the left, "Exit" at the right, F1 and F2 press them). Arrow keys, Enter and mouse clicks
// reach the window as on any other backend; the Options popup and message boxes are drawn as
// boxes. Ctrl+C, SIGTERM, SIGHUP and a closed terminal end the program as "Exit" does, and
// the terminal is always given back in the state it was found, a crash included.
//
// Typical use by the entry point:
//   std::string error;
//   UiFrontEnd* terminal = StartTerminal(TerminalOptions{}, &error);
//   if (terminal == nullptr) {
//     std::fprintf(stderr, "cyclune: %s\n", error.c_str());
//     return 2;
//   }
//   return FinishTerminal(RunCalendar(*terminal, options));
#pragma once

#include <string>

#include "platform/ui/front_end.h"

struct TerminalOptions {
  // The cursor is always put where a screen reader should read (the selected day, the
  // highlighted item of the Options popup, the first line a message box shows); it is drawn
  // only when this is set.
  bool show_cursor = false;
};

// Makes the terminal front end, which lives until FinishTerminal, and switches the
// one-instance rule on. When another instance already runs, the screen is left alone and
// the front end shows nothing (the program then asks that instance to come forward and
// ends). nullptr, with *error set to one line (e.g. "standard output is not a terminal"),
// when the terminal cannot be used; nothing is changed then.
UiFrontEnd* StartTerminal(const TerminalOptions& options, std::string* error);

// Whether the days must carry their marks (as with --cues) because the terminal's colours
// cannot tell the four day classes apart: fewer than 16 colours, or NO_COLOR set and not
// empty (coloured cells are then drawn in reverse video). Meaningful after a successful
// StartTerminal.
bool TerminalNeedsDayMarks();

// Ends the terminal run: gives the terminal back, ends the front end and releases the
// instance lock. When the start found Cyclune already running, says on standard error what
// came of asking it forward. Returns the process exit status: `run_result`, or after such a
// start 0 when the running one was asked forward and 1 when it could not be.
int FinishTerminal(int run_result);

// Signals of a terminal run. Ending signals (SIGINT, SIGTERM, SIGHUP), a new window size
// (SIGWINCH) and a resumed process (SIGCONT) only set a flag and write a byte to a pipe that
// the event loop polls: no window-system code ever runs in a handler. Every other signal
// that would end the process (faults and aborts, SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGXCPU,
// the real-time signals and the rest; not those ignored) first gives the terminal back, with
// async-signal-safe calls only (the reset sequences written as one block, then the saved tty
// modes through tcsetattr), and then takes its usual course under the disposition that was
// there before.
#pragma once

#include <string_view>

// Installs the handlers, saving the modes of `tty_fd` as they are now for the rescue. False
// when the pipe cannot be made.
bool InstallTerminalSignals(int tty_fd);

// Sets the bytes written to the terminal on a fatal signal (at most 511 are kept).
void SetTerminalRescueSequence(std::string_view sequence);

// Gives the terminal back now, as a fatal signal would (for exits that bypass the normal
// ending); does nothing when no handlers are installed.
void RescueTerminal();

// Becomes readable when a signal has arrived; -1 when not installed.
int SignalWakeFd();

struct SignalEvents {
  bool end = false;      // SIGINT, SIGTERM or SIGHUP
  bool hang_up = false;  // SIGHUP: the terminal has gone
  bool resize = false;   // SIGWINCH
  bool resumed = false;  // SIGCONT
};
// Returns and clears what arrived since the last call, emptying the pipe.
SignalEvents TakeSignalEvents();

// Puts back the handlers that were there before and closes the pipe.
void RemoveTerminalSignals();

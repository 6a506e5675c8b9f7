// The headless runner: runs the program on an off-screen client area, fed by a script of
// input events, and writes what it shows to files. It is a tool for tests and for looking at
// the month view without a display; the program runs its loop (app/event_loop.h) on the
// headless front end exactly as on any other. It shows no soft-key bar, so F1 and F2 go to
// the calendar as other keys do.
//
// The script, one command a line (blank lines and lines starting with # are skipped):
//   key CODE      presses and releases key CODE (the key table of platform/ui/events.h: 0x28
//                 Down, 0x0D Enter, 0x70 F1...); hex 0x28 or decimal 40; other codes do nothing
//   tap X Y       presses and releases the pointer at client pixel (X, Y)
//   command ID    carries out menu command ID (0 to 65535), such as 40003 "Set last period"
//   resize W H    resizes the client area to W x H (0 to 8192 each), then a repaint
//   shot NAME     writes the client area as last painted to DIR/NAME.png; NAME is a plain
//                 file name (no '/', no "..")
// The whole script is read and checked before anything runs. Each line is fed only once
// everything before it, paints included, has been handled, so a tap always meets the cell
// size of the latest paint. The end of the script ends the run with status 0; if the window
// is closed first ("Exit"), that ends the run.
//
// Output in DIR (created if missing; both files are started afresh by each run; every file
// is written 0600, as the day reports and the month colours are health data):
//   messages.jsonl  every message box shown, one JSON object a line:
//                   {"caption": "...", "text": "..."}; each box is answered OK.
//   events.jsonl    with single_instance only: {"event": "foreground"} for every request of
//                   a second start to bring the window forward.
//   NAME.png        the shots, each written under a temporary name and renamed once whole:
//                   a shot that cannot be written (a full disk, a file-size limit) is said
//                   on standard error, fails the run and leaves nothing under its name.
//
// Typical use by the entry point:
//   HeadlessOptions options;  // filled from --size, --script, --out, --single-instance
//   std::string error;
//   int status = 0;
//   UiFrontEnd* headless = StartHeadless(options, &error, &status);
//   if (headless == nullptr) {
//     std::fprintf(stderr, "%s\n", error.c_str());
//     return status;
//   }
//   return FinishHeadless(RunCalendar(*headless, options));
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/dates/civil_day.h"
#include "platform/ui/front_end.h"

// The largest client side that --size or a script's resize may ask for.
constexpr std::uint32_t kMaxClientSide = 8192;

struct HeadlessOptions {
  int width = 240;  // client area, pixels (0 to 8192)
  int height = 266;
  std::string script;            // script file; "" or "-" reads standard input
  std::string out_dir;           // "" is the current directory
  bool single_instance = false;  // obey the one-instance rule (tests of that rule)
};

// Reads and checks the whole script, creates the output directory, starts its output files
// (0600, like every file the run writes: they show health data) and makes the headless
// front end, which lives until FinishHeadless. On failure returns nullptr with *error set
// to one line for standard error, e.g.
// "script line 3: unknown command 'jump'", and *exit_status (when given) to the status to
// exit with: 2 for a bad size or a script that cannot be read or has a bad line, 1 when the
// output directory or a file in it cannot be written.
UiFrontEnd* StartHeadless(const HeadlessOptions& options, std::string* error,
                          int* exit_status = nullptr);

// Ends the run: closes the output files and ends the front end. Returns the process exit
// status: `run_result`, or 1 when an output file (a shot, messages.jsonl) could not be
// written (each such failure has already been reported on standard error) or a second start
// could not ask the running instance forward.
int FinishHeadless(int run_result);

// Parses "WxH" (decimal, 0 to 8192 each), as given to --size. False on anything else.
bool ParseClientSize(std::string_view text, int* width, int* height);

// Parses "YYYY-MM-DDTHH:MM:SS", as given to --now, into *time (milliseconds 0). The year
// is one of the calendar's, 0 to 65535: four digits, or five for
// 10000 and later. False when the text has another form or names no real date and time.
bool ParseLocalTimeArgument(std::string_view text, LocalDateTime* time);

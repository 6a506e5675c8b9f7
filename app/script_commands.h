// The commands for scripts, status bars and calendars: each starts as Cyclune starts (now
// from the clock or --now, the stored settings), prints or writes its output and returns
// the exit status. None writes the settings or takes the one-instance lock, so each can run
// while Cyclune is open.
//
//   cyclune --report [YYYY-MM-DD]  the day report that Enter on that day (today) would show:
//                                  its caption, the long date, as the first line, then its
//                                  lines; status 0
//   cyclune --month [YYYY-MM]      that month (this month) as text, coloured as the month
//                                  view paints it or with a mark per day; status 0
//   cyclune --ics [FILE]           every prediction as an iCalendar file, to FILE (mode 0600,
//                                  replaced atomically; see platform/settings/private_file.h for
//                                  links, FIFOs and devices) or standard output; status 1
//                                  without a last period, when the settings predict no day
//                                  or when it cannot be written
// The report and the month are in the locale's character set, a '?' for each character it
// lacks; the calendar file is UTF-8. Output that cannot be written is status 1 with one line
// on standard error.
#pragma once

#include "app/command_line.h"

int RunReport(const CommandLine& line);
int RunMonth(const CommandLine& line);
int RunIcs(const CommandLine& line);

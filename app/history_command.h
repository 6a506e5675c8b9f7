// The history's commands on the command line. Each refuses (one line, status 2) while a
// Cyclune runs on these settings, unless --dry-run, which reads and shows all the same but
// writes nothing.
//
//   cyclune --history[=text|json|csv]  the recorded starts, statistics and chart (as the
//                                      History box shows them), one JSON document, or a CSV
//                                      that --import reads back
//   cyclune --undo                     the last operation undone; status 1 with nothing to undo
//   cyclune --record YYYY-MM-DD        "Set last period" on that day at the time of day now
//   cyclune --remove YYYY-MM-DD        that start taken out of the history and every later
//                                      recording replayed; status 2 for a day not recorded
//
// Status 1 when the settings cannot be read or saved, or the history (which --undo and
// --remove need) cannot be used.
#pragma once

#include "app/command_line.h"

int RunHistory(const CommandLine& line);
int RunUndo(const CommandLine& line);
int RunRecord(const CommandLine& line);
int RunRemove(const CommandLine& line);

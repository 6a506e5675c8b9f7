// cyclune --remind [--days-before N] [--fertile] [--discreet] [--print]: says once what is due
// today (app/reminders.h), as a desktop notification, for a systemd timer or cron to run as
// often as it likes. Starts as Cyclune starts (now from the clock or --now, the stored
// settings, read only).
//
// - Nothing due, or all of it said before: exits 0 at once, without opening a bus.
// - A notification with "Started today" (for a period) and "Open Cyclune" where the service
//   offers actions; it then waits half an hour at most for a choice (app/started_today.h).
// - --discreet or CYCLUNE_DISCREET=1: "Cyclune has a reminder for you" alone, and no
//   "Started today", for screens that others can see.
// - --print, or no session bus or notification service: the sentences on standard output,
//   one a line, status 0, so a timer's journal or cron's mail carries them.
// What was said is kept in ${XDG_STATE_HOME:-~/.local/state}/cyclune/reminders. Status 1 with
// one line on standard error when the settings cannot be read, that file cannot be read or
// written, the output cannot be written or a chosen action fails.
#pragma once

#include "app/command_line.h"

int RunRemind(const CommandLine& line);

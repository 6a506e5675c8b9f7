// The actions of a reminder's notification. "Started today" records a period that began
// today, as "Set last period" on today would: by the Cyclune that is open, asked over its
// instance socket (it keeps the settings, and its lock is never broken), or here when none
// is. "Open Cyclune" brings the open one forward, or starts the window.
// Each prints one line saying what was done and returns the exit status.
#pragma once

#include "platform/dates/civil_day.h"

int RecordStartedToday();
int OpenCyclune();

// Records a period that began on `today` (its time of day kept) into the history and the
// stored settings, with no Cyclune open, as made by the reminder. The one place where a
// reminder records a period itself.
int RecordPeriodStartedOn(const LocalDateTime& today);

// The Options menu's commands that change or show the settings, through the period history
// (app/history_session.h): "Set last period" records in the history first and then saves,
// "Undo last period" puts the five values back as they were before the last operation, and
// "History" shows the recorded starts and their statistics in a message box. Where the
// history cannot be used, "Set last period" works on the settings file alone, as it always
// did, and the reason is said once.
#pragma once

#include "history/history_types.h"
#include "platform/ui/win_types.h"

// Where this run's recordings are made (the window, the terminal, a headless script); the
// window when never set.
void SetFrontEndSource(HistorySource source);

void SetLastPeriodWithHistory(HWND window);
// "Set last period" on the selected day, recorded as made from `source` (a reminder's request).
void RecordPeriodWithHistory(HWND window, HistorySource source);
void UndoLastPeriod(HWND window);
void ShowHistory(HWND window);

// The Options menu's commands that change or show the settings, through the period history
// (app/history_session.h): "Set last period" records in the history first and then saves,
// "Undo last period" puts the five values back as they were before the last operation, and
// "History" shows the recorded starts and their statistics in a message box. Where the
// history cannot be used, "Set last period" works on the settings file alone, as it always
// did, and the reason is said once a run.
#pragma once

#include "history/history_types.h"
#include "model/calendar_state.h"

class HistoryMenu {
 public:
  // `source`: where this run's recordings are made (the window, the terminal, a script).
  explicit HistoryMenu(HistorySource source) : source_(source) {}

  // Each of these returns whether the settings in `state` changed, so that the month view is
  // to be painted anew.
  // "Set last period" on the selected day.
  bool SetLastPeriod(CalendarState& state) { return RecordPeriod(state, source_); }
  // "Set last period" on the selected day, recorded as made from `source` (a reminder's).
  bool RecordPeriod(CalendarState& state, HistorySource source);
  bool UndoLastPeriod(CalendarState& state);

  void ShowHistory();

 private:
  std::u16string UnusableNotice(const std::string& problem);

  HistorySource source_;
  bool told_unusable_ = false;  // the reason a history cannot be used is said once a run
};

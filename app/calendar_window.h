// The calendar in its window: the program's one window (platform/ui/program_window.h) on the
// front end that runs, and the calendar state it shows. It is what the program's loop
// drives (app/event_loop.h): keys and taps go to the month view, the soft keys' and menu's
// commands to "Set last period", "Help", "Undo last period", "History" and "Exit", a
// reminder's request to record a period to "Set last period" on that day; whatever says the
// picture changed asks for a paint, which the loop has done before the next frame.
//
// RunCalendar is the program's start on a front end: it keeps to one instance per settings
// folder, opens the calendar and runs the loop until the window closes or the input ends.
// The front end (desktop, terminal, headless) is chosen and started before; this code is
// the same on every one.
#pragma once

#include <vector>

#include "app/event_loop.h"
#include "app/history_menu.h"
#include "history/history_types.h"
#include "model/calendar_state.h"
#include "platform/ui/front_end.h"
#include "platform/ui/program_window.h"
#include "view/month_view.h"

// How the calendar runs.
struct CalendarOptions {
  HistorySource source = HistorySource::kWindow;  // where its recordings are said to be made
  bool day_marks = false;  // each day's kind marked by shape as well as colour
};

class CalendarWindow final : public LoopCalendar {
 public:
  // The calendar on `state`, which it works on from now on.
  CalendarWindow(UiFrontEnd& front_end, CalendarState& state, const CalendarOptions& options);

  // Selects today, loads the stored settings, shows the window and paints it. False when the
  // front end could give the window no client area.
  bool Open();

  const ProgramWindow& window() const { return window_; }
  const CalendarState& state() const { return state_; }

  std::vector<SoftKey> SoftKeys() override;
  void KeyDown(Key key) override;
  void Tap(int x, int y) override;
  void Command(unsigned command) override;
  void RecordPeriod(CivilDay day) override;
  void Close() override { window_.Close(); }
  bool Closed() override { return !window_.open(); }
  bool Paint() override;
  const Canvas* Picture() override { return window_.canvas(); }

 private:
  void AskForPaintIf(bool changed);

  ProgramWindow window_;
  CalendarState& state_;
  HistoryMenu menu_;
  MonthPaint last_paint_;  // what the latest paint laid out, for the taps
};

// Runs the program on `front_end`: when Cyclune already runs on these settings, asks it to
// come forward and ends; otherwise opens the calendar and runs the loop. Returns the exit
// status, 0.
int RunCalendar(UiFrontEnd& front_end, const CalendarOptions& options);

#include "app/calendar_window.h"

#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "platform/instance/single_instance.h"
#include "platform/ui/message_box.h"
#include "resources/resources.h"
#include "view/navigation.h"

CalendarWindow::CalendarWindow(UiFrontEnd& front_end, CalendarState& state,
                               const CalendarOptions& options)
    : window_(front_end, std::u16string(TextOf(TextId::kAppTitle)), &CycluneIcon()),
      state_(state),
      menu_(options.source) {
  state_.DayMarks = options.day_marks ? 1 : 0;
}

bool CalendarWindow::Open() {
  if (!window_.open()) return false;
  // Today's date, then the stored settings: the first paint needs both.
  state_.SelectedDate = LocalNow();
  LoadSettings(state_);
  window_.Show();
  Paint();
  return true;
}

std::vector<SoftKey> CalendarWindow::SoftKeys() { return CycluneSoftKeys(); }

void CalendarWindow::KeyDown(Key key) { AskForPaintIf(HandleKey(state_, key)); }

void CalendarWindow::Tap(int x, int y) { AskForPaintIf(HandleTap(state_, last_paint_, x, y)); }

void CalendarWindow::Command(unsigned command) {
  switch (command) {
    case IDM_EXIT:
      Close();
      return;
    case IDM_SET_LAST_PERIOD:
      AskForPaintIf(menu_.SetLastPeriod(state_));
      return;
    case IDM_HELP:
      ShowMessageBox(TextOf(TextId::kHelp), TextOf(TextId::kHelpText));
      return;
    case IDM_UNDO_LAST_PERIOD:
      AskForPaintIf(menu_.UndoLastPeriod(state_));
      return;
    case IDM_HISTORY:
      menu_.ShowHistory();
      return;
    default:
      return;  // IDM_OPTIONS is the modal model's; other numbers name nothing
  }
}

// A reminder's "Started today", sent here because this instance keeps the settings: the day
// is selected, keeping the time of day as navigation does, and recorded as "Set last period"
// records it, so the month shows the new period.
void CalendarWindow::RecordPeriod(CivilDay day) {
  state_.SelectedDate = OnDay(state_.SelectedDate, day);
  window_.AskForPaint();
  menu_.RecordPeriod(state_, HistorySource::kReminder);
}

bool CalendarWindow::Paint() {
  if (!window_.TakePaintDue()) return false;
  last_paint_ = PaintMonth(*window_.canvas(), state_);
  window_.SetFocusBox(last_paint_.focus);
  return true;
}

void CalendarWindow::AskForPaintIf(bool changed) {
  if (changed) window_.AskForPaint();
}

int RunCalendar(UiFrontEnd& front_end, const CalendarOptions& options) {
  // Cyclune already runs on these settings: it is asked to come forward and this start ends.
  if (SingleInstanceEnabled() && AnotherInstanceRunning()) {
    AskRunningInstanceToComeForward();
    return 0;
  }
  CalendarState state;
  CalendarWindow calendar(front_end, state, options);
  if (!calendar.Open()) return 0;
  return RunEventLoop(front_end, calendar);
}

// Kept apart from the composition so that what the report says can be checked without a
// window system.
#include "model/calendar_state.h"
#include "platform/ui/message_box.h"
#include "report/day_report.h"

void ShowDayReport(const CalendarState& state) {
  const DayReport report = ComposeDayReport(CycleSettingsOf(state), state.SelectedDate);
  ShowMessageBox(report.caption, report.text);
}

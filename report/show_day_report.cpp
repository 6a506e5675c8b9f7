// Kept apart from the composition so that what the report says can be checked without a
// window system.
#include "model/app_state.h"
#include "platform/ui/app_window.h"
#include "platform/ui/window.h"
#include "report/day_report.h"

void ShowDayReport() {
  const DayReport report = ComposeDayReport();
  MessageBoxW(AppWindow.MainWindow, report.text.c_str(), report.caption.c_str(), MB_OK);
}

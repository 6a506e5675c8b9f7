#include "app/main_window.h"

#include "app/history_menu.h"
#include "model/calendar.h"
#include "model/calendar_state.h"
#include "model/settings.h"
#include "platform/dates/datetime.h"
#include "platform/ui/app_window.h"
#include "platform/ui/window_paint.h"
#include "resources/resources.h"
#include "view/month_view.h"
#include "view/navigation.h"

namespace {

// What the last paint laid out, which taps are tested against.
MonthPaint g_painted;

LRESULT OnPaint(HWND window) {
  Canvas* screen = nullptr;
  if (!BeginWindowPaint(window, &screen)) return 0;
  g_painted = screen != nullptr ? PaintMonth(*screen, AppState) : MonthPaint{};
  if (g_painted.focus) {
    const Rect& focus = *g_painted.focus;
    CreateCaret(window, nullptr, focus.right - focus.left, focus.bottom - focus.top);
    SetCaretPos(focus.left, focus.top);
  }
  EndWindowPaint(window);
  return 0;
}

// Today's date, then the stored settings: the first paint needs both.
LRESULT OnCreate() {
  AppState.SelectedDate = LocalNow();
  LoadSettings(AppState);
  return 0;
}

void ShowHelp() { ShowMessageBox(TextOf(TextId::kHelp), TextOf(TextId::kHelpText)); }

// A reminder's "Started today", sent here because this instance keeps the settings: the day
// is selected, keeping the time of day as navigation does, and recorded as "Set last period"
// records it, so the month shows the new period.
LRESULT OnRecordPeriodRequest(HWND window, WPARAM wparam) {
  const WPARAM month = wparam / 100 % 100;
  const WPARAM day = wparam % 100;
  if (month < 1 || month > 12 || day < 1 ||
      day > static_cast<WPARAM>(DaysInMonth(static_cast<std::int32_t>(wparam / 10000),
                                            static_cast<std::int32_t>(month)))) {
    return 0;
  }
  AppState.SelectedDate = OnDay(AppState.SelectedDate, RecordPeriodRequestDay(wparam));
  InvalidateRect(window, nullptr, FALSE);
  RecordPeriodWithHistory(window, HistorySource::kReminder);
  return 0;
}

LRESULT OnCommand(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (LOWORD(wparam)) {
    case IDM_EXIT:
      DestroyWindow(window);
      return 0;
    case IDM_SET_LAST_PERIOD:
      SetLastPeriodWithHistory(window);
      return 0;
    case IDM_HELP:
      ShowHelp();
      return 0;
    case IDM_UNDO_LAST_PERIOD:
      UndoLastPeriod(window);
      return 0;
    case IDM_HISTORY:
      ShowHistory(window);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

LRESULT MainWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_PAINT:
      return OnPaint(window);
    case WM_KEYDOWN:
      if (HandleKey(AppState, KeyOfCode(static_cast<std::uint32_t>(wparam)))) {
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_COMMAND:
      return OnCommand(window, message, wparam, lparam);
    case WM_LBUTTONDOWN:
      if (HandleTap(AppState, g_painted, LOWORD(static_cast<WPARAM>(lparam)),
                    HIWORD(static_cast<WPARAM>(lparam)))) {
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_RECORD_PERIOD_REQUEST:
      return OnRecordPeriodRequest(window, wparam);
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

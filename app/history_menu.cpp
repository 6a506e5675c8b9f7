#include "app/history_menu.h"

#include <string>

#include "app/history_session.h"
#include "history/history_views.h"
#include "model/calendar_state.h"
#include "model/record_period.h"
#include "platform/dates/datetime.h"
#include "platform/text/unicode.h"
#include "platform/ui/app_window.h"
#include "platform/ui/window.h"
#include "resources/resources.h"

namespace {

HistorySource g_source = HistorySource::kWindow;
bool g_told_unusable = false;  // the reason a history cannot be used is said once a run

HistoryStamp StampFrom(HistorySource source) {
  const LocalDateTime now = LocalNow();
  return HistoryStamp{LocalStamp(now), source, "", ""};
}

HistoryStamp FrontEndStamp() { return StampFrom(g_source); }

std::u16string Widen(const std::string& text) {
  std::u16string wide;
  Utf8ToUtf16(text, &wide);
  return wide;
}

// "Cannot use the history ...", sentence-cased, once.
std::u16string UnusableNotice(const std::string& problem) {
  if (g_told_unusable || problem.empty()) return u"";
  g_told_unusable = true;
  std::u16string notice = Widen(problem) + u".";
  notice[0] = u'C';
  return notice;
}

void Show(HWND, const std::u16string& text) {
  if (text.empty()) return;
  ShowMessageBox(TextOf(TextId::kAppTitle), text);
}

// What the user should know after a save: its failure, a file moved aside, a history that
// could not be written.
std::u16string SaveMessages(const SettingsSaveResult& saved, const std::u16string& history) {
  std::u16string text = saved.ok ? SaveNoticeSentence(saved) : SaveFailureSentence(saved);
  if (!history.empty()) text += (text.empty() ? u"" : u"\n\n") + history;
  return text;
}

// The session's values become the program's, and the month view shows them.
void TakeValues(HistorySession* session) {
  SetCycleSettings(LoadedSettings(session->history().Current()), &AppState);
  InvalidateRect(AppWindow.MainWindow, nullptr, FALSE);
}

// The history ends at what the program shows, whatever an earlier failed save left behind.
bool EndAtShownValues(HistorySession* session, const HistoryStamp& stamp) {
  StoredSettings shown;
  if (!StoredSettingsOf(CycleSettingsOf(AppState), &shown)) return false;
  session->history().EnsureEndsAt(shown, stamp);
  return true;
}

}  // namespace

void SetFrontEndSource(HistorySource source) { g_source = source; }

void SetLastPeriodWithHistory(HWND window) { RecordPeriodWithHistory(window, g_source); }

void RecordPeriodWithHistory(HWND window, HistorySource source) {
  const HistoryStamp stamp = StampFrom(source);
  HistorySession session(HistorySession::kWrite, stamp);
  if (!session.usable() || !EndAtShownValues(&session, stamp)) {
    const SettingsSaveResult saved = RecordPeriod(AppState);
    InvalidateRect(AppWindow.MainWindow, nullptr, FALSE);
    Show(window,
         SaveMessages(saved, session.settings_read() ? UnusableNotice(session.problem()) : u""));
    return;
  }
  session.history().Record(RecordingOf(AppState.SelectedDate), stamp);
  const HistorySave saved = session.Save();
  TakeValues(&session);
  Show(window,
       SaveMessages(saved.settings, saved.history_written ? u"" : UnusableNotice(saved.problem)));
}

void UndoLastPeriod(HWND window) {
  const HistoryStamp stamp = FrontEndStamp();
  HistorySession session(HistorySession::kWrite, stamp);
  if (!session.usable() || !EndAtShownValues(&session, stamp)) {
    Show(window, Widen(session.problem()) + u". There is nothing to undo.");
    return;
  }
  if (!session.history().Undo(stamp)) {
    Show(window, u"There is nothing to undo: no period has been recorded since the history began.");
    return;
  }
  const HistorySave saved = session.Save();
  if (saved.ok) TakeValues(&session);
  Show(window,
       SaveMessages(saved.settings, saved.history_written ? u"" : UnusableNotice(saved.problem)));
}

void ShowHistory(HWND) {
  HistorySession session(HistorySession::kWrite, FrontEndStamp());
  std::u16string text = HistoryText(session.history().Starts());
  if (!session.usable()) text = Widen(session.problem()) + u".\n\n" + text;
  ShowMessageBox(u"History", text);
}

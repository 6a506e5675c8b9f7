#include "app/history_menu.h"

#include <string>

#include "app/history_session.h"
#include "history/history_views.h"
#include "model/calendar_state.h"
#include "model/record_period.h"
#include "platform/dates/datetime.h"
#include "platform/text/unicode.h"
#include "platform/ui/message_box.h"
#include "resources/resources.h"

namespace {

HistoryStamp StampFrom(HistorySource source) {
  const LocalDateTime now = LocalNow();
  return HistoryStamp{LocalStamp(now), source, "", ""};
}

std::u16string Widen(const std::string& text) {
  std::u16string wide;
  Utf8ToUtf16(text, &wide);
  return wide;
}

void Show(const std::u16string& text) {
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

// The session's values become the program's.
void TakeValues(HistorySession* session, CalendarState& state) {
  SetCycleSettings(LoadedSettings(session->history().Current()), &state);
}

// The history ends at what the program shows, whatever an earlier failed save left behind.
bool EndAtShownValues(HistorySession* session, const CalendarState& state,
                      const HistoryStamp& stamp) {
  StoredSettings shown;
  if (!StoredSettingsOf(CycleSettingsOf(state), &shown)) return false;
  session->history().EnsureEndsAt(shown, stamp);
  return true;
}

}  // namespace

// "Cannot use the history ...", sentence-cased, once.
std::u16string HistoryMenu::UnusableNotice(const std::string& problem) {
  if (told_unusable_ || problem.empty()) return u"";
  told_unusable_ = true;
  std::u16string notice = Widen(problem) + u".";
  notice[0] = u'C';
  return notice;
}

bool HistoryMenu::RecordPeriod(CalendarState& state, HistorySource source) {
  const HistoryStamp stamp = StampFrom(source);
  HistorySession session(HistorySession::kWrite, stamp);
  if (!session.usable() || !EndAtShownValues(&session, state, stamp)) {
    const SettingsSaveResult saved = ::RecordPeriod(state);
    Show(SaveMessages(saved, session.settings_read() ? UnusableNotice(session.problem()) : u""));
    return true;
  }
  session.history().Record(RecordingOf(state.SelectedDate), stamp);
  const HistorySave saved = session.Save();
  TakeValues(&session, state);
  Show(SaveMessages(saved.settings, saved.history_written ? u"" : UnusableNotice(saved.problem)));
  return true;
}

bool HistoryMenu::UndoLastPeriod(CalendarState& state) {
  const HistoryStamp stamp = StampFrom(source_);
  HistorySession session(HistorySession::kWrite, stamp);
  if (!session.usable() || !EndAtShownValues(&session, state, stamp)) {
    Show(Widen(session.problem()) + u". There is nothing to undo.");
    return false;
  }
  if (!session.history().Undo(stamp)) {
    Show(u"There is nothing to undo: no period has been recorded since the history began.");
    return false;
  }
  const HistorySave saved = session.Save();
  if (saved.ok) TakeValues(&session, state);
  Show(SaveMessages(saved.settings, saved.history_written ? u"" : UnusableNotice(saved.problem)));
  return saved.ok;
}

void HistoryMenu::ShowHistory() {
  HistorySession session(HistorySession::kWrite, StampFrom(source_));
  std::u16string text = HistoryText(session.history().Starts());
  if (!session.usable()) text = Widen(session.problem()) + u".\n\n" + text;
  ShowMessageBox(u"History", text);
}

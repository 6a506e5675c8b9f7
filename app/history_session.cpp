#include "app/history_session.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "platform/settings/settings_file.h"
#include "platform/text/unicode.h"

namespace {

std::string Line(const std::u16string& text) { return Utf16ToUtf8(text); }

}  // namespace

std::string HistoryFilePath() {
  const std::string settings = SettingsFilePath();
  if (settings.empty()) return {};
  return settings.substr(0, settings.rfind('/') + 1) + "history.sqlite";
}

std::string LocalStamp(const LocalDateTime& now) {
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", now.date.year(),
                now.date.month(), now.date.day(), now.hour, now.minute, now.second);
  return text;
}

HistorySession::HistorySession(Mode mode, const HistoryStamp& stamp, const SettingsWriteLock* held)
    : mode_(mode) {
  if (mode_ == kWrite && held == nullptr) {
    lock_ = std::make_unique<SettingsWriteLock>();
    const SettingsFileStatus failure = lock_->Take();
    if (!failure.ok) {
      const std::string file = failure.path.empty() ? "your settings" : failure.path;
      problem_ = "cannot lock " + file + ": " + Line(failure.reason);
      return;
    }
  }
  const SettingsSaveResult read = ReadStoredSettings(&file_values_);
  if (!read.ok) {
    problem_ = "cannot read your settings in " + Line(read.file) + ": " + Line(read.reason);
    return;
  }
  settings_read_ = true;
  const std::string path = HistoryFilePath();
  std::string why;
  const HistoryOpen opened =
      path.empty() ? HistoryOpen::kFailed : OpenHistoryFile(path, mode_ == kWrite, &file_, &why);
  std::vector<HistoryOperation> operations;
  bool readable = opened == HistoryOpen::kOpened || opened == HistoryOpen::kAbsent;
  if (opened == HistoryOpen::kOpened && !ReadHistoryOperations(file_, &operations, &why)) {
    why = "it is damaged (" + why + ")";
    readable = false;
  }
  // Without a usable history the settings file's values stand alone, as a base in memory.
  history_ = PeriodHistory(readable ? std::move(operations) : std::vector<HistoryOperation>());
  history_.Reconcile(file_values_, stamp);
  const HistoryChange reconciled = history_.TakeChange();
  usable_ = readable && Commit(reconciled, &why);
  if (usable_) return;
  CloseHistoryFile(file_);
  file_ = nullptr;
  problem_ = "cannot use the history " + path + ": " + why +
             "; it is left as it is, and Cyclune works on " + SettingsFilePath() + " alone";
}

HistorySession::~HistorySession() { CloseHistoryFile(file_); }

bool HistorySession::Commit(const HistoryChange& change, std::string* problem) {
  if (mode_ == kLook) return true;
  if (file_ == nullptr) {
    *problem = problem_;
    return false;
  }
  return CommitHistoryChange(file_, change, problem);
}

HistorySave HistorySession::Save() {
  HistorySave saved;
  const HistoryChange change = history_.TakeChange();
  if (mode_ == kLook) {
    saved.ok = true;
    return saved;
  }
  saved.history_written = Commit(change, &saved.problem);
  saved.settings = SaveStoredSettings(history_.Current());
  saved.ok = saved.settings.ok;
  if (!saved.ok && saved.history_written && !change.added.empty()) {
    // The settings file keeps the values before: so does the history.
    std::string ignored;
    Commit(history_.DropBatch(change.added.front().batch), &ignored);
  }
  if (!saved.history_written && file_ != nullptr) {
    saved.problem = "cannot write the history " + HistoryFilePath() + ": " + saved.problem;
  }
  return saved;
}

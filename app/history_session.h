// The period history as the program uses it (history/period_history.h over the file of
// history/history_file.h), with the settings file beside it, so that the two never disagree.
//
// A session holds the settings' writers' lock for its whole life, reads the settings file's
// five values, opens the history (history.sqlite beside the settings) and brings it into
// agreement with them. An operation is then written to the history first and to the settings
// file second, and only then is the user told: a process killed between the two leaves the
// settings file at the values before the operation, and the next session drops it again; one
// killed after both has done all of it. A settings file changed outside Cyclune is never
// written to match the history: the history takes its values as a new base.
//
// A history that cannot be used (a symbolic link, another program's database, damaged, of a
// newer version, unreadable) is left as it is: problem() says so in one line, and the caller
// works on the settings file alone.
//
// Example (the command line's --record):
//   HistorySession session(HistorySession::kWrite, stamp);
//   if (!session.usable()) ... session.problem()
//   session.history().Record(start, stamp);
//   HistorySave saved = session.Save();   // history first, then the settings file
#pragma once

#include <memory>
#include <string>

#include "history/history_file.h"
#include "history/period_history.h"
#include "model/settings.h"

class SettingsWriteLock;

struct HistorySave {
  bool ok = false;
  bool history_written = false;  // false: saved to the settings file alone
  SettingsSaveResult settings;   // the settings file's save
  std::string problem;           // why the history was not written (one line), when it was not
};

class HistorySession {
 public:
  enum Mode {
    kWrite,  // make the history when there is none; write what the session changes
    kLook,   // read it as it would be; write nothing, make nothing (views, dry runs)
  };
  // In kWrite the session takes the settings' writers' lock itself, unless the caller passes
  // the one it holds already (an import, which read the settings under it).
  HistorySession(Mode mode, const HistoryStamp& stamp, const SettingsWriteLock* held = nullptr);
  ~HistorySession();
  HistorySession(const HistorySession&) = delete;
  HistorySession& operator=(const HistorySession&) = delete;

  // False when the settings file could not be read, the lock not had, or the history is not
  // one Cyclune can use; problem() then says why.
  bool usable() const { return usable_; }
  bool settings_read() const { return settings_read_; }
  const std::string& problem() const { return problem_; }
  // The settings file's values, read under the lock.
  const StoredSettings& file_values() const { return file_values_; }
  PeriodHistory& history() { return history_; }

  // Writes what history() added since the session opened, then the settings file with its
  // Current() values. When the settings file cannot be written, the history's part is taken
  // out again. When the history cannot be written, the settings file is written alone.
  HistorySave Save();

 private:
  bool Commit(const HistoryChange& change, std::string* problem);

  Mode mode_;
  std::unique_ptr<SettingsWriteLock> lock_;
  bool usable_ = false;
  bool settings_read_ = false;
  std::string problem_;
  StoredSettings file_values_;
  HistoryFile* file_ = nullptr;
  PeriodHistory history_;
};

// The history's file in the settings folder: history.sqlite beside registry.reg.
std::string HistoryFilePath();

// The local date and time as YYYY-MM-DDTHH:MM:SS, as operations are stamped.
std::string LocalStamp(const LocalDateTime& now);

// The rules of the period history: what a recording, an undo, a removal or an import adds,
// how the history is brought into agreement with the settings file, and which starts are
// recorded. Pure: it works on the operations in memory (read from history/history_file.h) and
// hands back what is to be written; the caller writes it, then saves the settings.
//
// Every value is computed by the model's own fold (RecordPeriodOn through LoadedSettings and
// StoredSettingsOf), step by step from a base, so a replay gives exactly what recording the
// same starts one by one in the program would have given.
//
// The history is a series of segments, each begun by a base (the settings as first found, or
// as changed outside Cyclune). Within the last segment the live recordings (those of
// operations not undone, not removed) folded from the base give the current values. An undo
// takes back the newest operation not yet undone, back to the last base.
//
// Example (a recording made in the window):
//   PeriodHistory history(operations);            // as read from the file
//   history.Reconcile(file_values, stamp);         // commit history.TakeChange() if any
//   history.Record(Recording{day, ms}, stamp);
//   HistoryChange change = history.TakeChange();   // commit, then save history.Current()
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "history/history_types.h"

// When and where an operation is made.
struct HistoryStamp {
  std::string recorded_at;  // local YYYY-MM-DDTHH:MM:SS
  HistorySource source = HistorySource::kCommandLine;
  std::string format;  // an import's format and file
  std::string file;
};

// A recorded start as listed, with where it came from.
struct ListedStart {
  Recording start;
  HistorySource source = HistorySource::kSettingsFile;
  std::string format;  // an import's
  std::string file;
  std::string recorded_at;  // empty for a base's last period
  bool removable = false;   // a live recording of the last segment
};

// How an import's starts were taken.
struct ImportMerge {
  std::vector<Recording> added;           // new starts, by date
  std::vector<std::int64_t> after_today;  // days left out: not yet happened
  std::size_t before_history = 0;         // on or before the last period the history began with
  std::size_t already_recorded = 0;       // days the history holds already
  // The whole replay from the base, by date: each start and the values after it.
  struct Step {
    Recording start;
    bool added = false;
    bool interval_known = false;
    std::int64_t interval = 0;
    StoredSettings after;
  };
  std::vector<Step> steps;
};

class PeriodHistory {
 public:
  PeriodHistory() = default;
  explicit PeriodHistory(std::vector<HistoryOperation> operations);

  const std::vector<HistoryOperation>& operations() const { return operations_; }
  bool empty() const { return operations_.empty(); }
  // The values the last operation left; the initial settings for an empty history.
  StoredSettings Current() const;

  // Brings the history into agreement with the settings file's values `file`: a new history
  // starts from them; a last write that never reached the file is dropped; values changed
  // outside Cyclune become a new base. The file is never to be changed to match.
  void Reconcile(const StoredSettings& file, const HistoryStamp& stamp);
  // A base for `values` unless the history ends at them already (values kept by a program
  // whose save failed, say).
  void EnsureEndsAt(const StoredSettings& values, const HistoryStamp& stamp);

  void Record(const Recording& start, const HistoryStamp& stamp);
  // False, nothing added, when there is nothing to undo back to the last base.
  bool Undo(const HistoryStamp& stamp);
  // Takes out the newest recording of `day` in the last segment and replays the later ones.
  // False, nothing added, with *refusal saying why (in words, without the date) otherwise.
  bool Remove(std::int64_t day, const HistoryStamp& stamp, std::string* refusal);
  // Merges `starts` (any order, repeats allowed, each at its time of day) into the last
  // segment by date, leaving out days after `today`; adds one operation when any is new.
  ImportMerge Import(std::vector<Recording> starts, std::int64_t today, const HistoryStamp& stamp);

  // What the calls above added since the last TakeChange, as one batch; empty when nothing.
  HistoryChange TakeChange();
  // Takes a batch out again (its write reached the history but the settings file failed).
  HistoryChange DropBatch(std::int64_t batch);

  // Every recorded start, newest first, one per day.
  std::vector<ListedStart> Starts() const;

 private:
  struct Entry {
    Recording start;
    std::size_t by;  // index of the operation that recorded it
  };
  struct Segment {
    std::size_t base;
    std::vector<Entry> entries;
  };
  std::vector<Segment> Timeline() const;
  // Why `day` is no recording that Remove can take out.
  std::string RemovalRefusal(std::int64_t day, const std::vector<Segment>& segments) const;
  void Add(HistoryOperation operation, const HistoryStamp& stamp);
  void Drop(std::int64_t batch);

  std::vector<HistoryOperation> operations_;
  HistoryChange pending_;
};

// The settings after "Set last period" on `start` from `before`: one step of every replay.
StoredSettings RecordedSettings(const StoredSettings& before, const Recording& start);

// The start as a local date-time.
LocalDateTime DateTimeOf(const Recording& start);
// The day and time of day of a date-time (a valid one).
Recording RecordingOf(const LocalDateTime& date);

// The period history as values: the operations that changed the stored settings, each with the
// five values before and after it, so that any fold can be undone or computed again. Plain
// data, shared by the history's file (history/history_file.h), its rules
// (history/period_history.h) and its views (history/history_views.h).
//
// A recorded start is a civil day (days from 1970-01-01, platform/dates/civil_days.h) and the time
// of day that the fold used: "Set last period" stores the selected day at the time of day the
// program started, and an interval counts whole 24-hour spans between two such instants.
#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

#include "model/settings.h"

struct Recording {
  std::int64_t day = 0;      // civil day count
  std::int32_t time_ms = 0;  // milliseconds after midnight, 0 to 86,399,999
  friend auto operator<=>(const Recording&, const Recording&) = default;
};

enum class OperationKind {
  kBase,    // the settings as found: where the history starts, or values changed outside it
  kRecord,  // "Set last period" on `start`
  kUndo,    // `target` undone: the values go back to its `before`
  kRemove,  // the recording of `start` taken out and the later ones replayed
  kImport,  // `starts` of another tracker's file merged in by date
};

// Where an operation was made.
enum class HistorySource {
  kSettingsFile,  // a base: the settings file as it was when the history began
  kOutside,       // a base: the settings file as changed outside Cyclune
  kWindow,
  kTerminal,
  kHeadless,  // a script of the headless runner
  kCommandLine,
  kImport,
  kReminder,  // a reminder's "Started today"
};

// The names of the sources, in their order: as the history's file stores them and its JSON
// and CSV views show them.
inline constexpr const char* kHistorySourceNames[] = {"settings file", "outside",  "window",
                                                      "terminal",      "headless", "command line",
                                                      "import",        "reminder"};
static_assert(sizeof kHistorySourceNames / sizeof kHistorySourceNames[0] ==
              static_cast<int>(HistorySource::kReminder) + 1);

struct HistoryOperation {
  std::int64_t id = 0;     // 1, 2, 3 ... in the order made
  std::int64_t batch = 0;  // the operations written together share one; see HistoryChange
  OperationKind kind = OperationKind::kBase;
  Recording start;          // kRecord: the start recorded; kRemove: the start removed
  std::string recorded_at;  // local date and time it was made, YYYY-MM-DDTHH:MM:SS
  HistorySource source = HistorySource::kSettingsFile;
  std::string format;             // kImport: the name of the file's format
  std::string file;               // kImport: the file as it was named
  std::int64_t target = 0;        // kUndo: the id of the operation undone
  StoredSettings before;          // the five stored values before it
  StoredSettings after;           // and after it
  std::vector<Recording> starts;  // kImport: the starts it added, by date
};

// One write to the history: the batch `drop_batch` (0: none) taken out, then `added` appended,
// all in one transaction. A batch is what one write added: the settings file is saved after
// it and holds either the values before its first operation or after its last.
struct HistoryChange {
  std::int64_t drop_batch = 0;
  std::vector<HistoryOperation> added;
  bool empty() const { return drop_batch == 0 && added.empty(); }
};

// The history's file: an SQLite database, history.sqlite beside the settings file, mode 0600 in
// the settings folder, with a rollback journal that lives only while a write does. It is told
// from another program's database by its application id and read by its schema version
// (PRAGMA user_version), brought up to date from any earlier one by the migrations in
// history/history_file.cpp. A file that is not one Cyclune can use (a symbolic link, not a
// plain file, unreadable, another program's database, damaged, or of a newer version) is
// refused, never changed: the caller says so and works without a history.
//
// The only module that links SQLite: history/history_module.h opens it for these functions.
//
// Example:
//   HistoryFile* file = nullptr;
//   std::string problem;
//   if (OpenHistoryFile(path, true, &file, &problem) != HistoryOpen::kOpened) ... problem
//   std::vector<HistoryOperation> operations;
//   ReadHistoryOperations(file, &operations, &problem);
//   CommitHistoryChange(file, change, &problem);
//   CloseHistoryFile(file);
#pragma once

#include <string>
#include <vector>

#include "history/history_types.h"

struct HistoryFile;

enum class HistoryOpen {
  kOpened,
  kAbsent,   // no file, and none was to be made
  kRefused,  // a file that is not a history Cyclune can use; *problem says why, in words
  kFailed,   // the system would not let it be opened or made; *problem says why
};

// The application id in the file's header: "Cycl".
inline constexpr std::int32_t kHistoryApplicationId = 0x4379636C;
// The schema this build writes; files of versions 1 to this one are read.
inline constexpr int kHistorySchemaVersion = 1;

// Opens the history at `path`, making it (0600) when it is absent and `create` is set.
// The caller holds the settings' writers' lock. *problem, without the path, when it is not
// kOpened: "it is a symbolic link", "it is the database of another program".
HistoryOpen OpenHistoryFile(const std::string& path, bool create, HistoryFile** file,
                            std::string* problem);

// Every operation in the file, in the order made.
bool ReadHistoryOperations(HistoryFile* file, std::vector<HistoryOperation>* operations,
                           std::string* problem);

// Writes `change` in one durable transaction; false, with nothing changed, on failure.
bool CommitHistoryChange(HistoryFile* file, const HistoryChange& change, std::string* problem);

void CloseHistoryFile(HistoryFile* file);

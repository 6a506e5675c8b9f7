// The history module, cyclune-history.so: the history's file over SQLite
// (history/history_file.h), opened (platform/modules/module_loader.h) only when a recording, an
// undo or a view of the history needs the file, so no other start loads SQLite. The
// program's functions of the same names (history/history_loader.cpp) open the module and
// call its own, which the table below carries; the module exports only its entry.
#pragma once

#include "history/history_file.h"
#include "platform/modules/module_loader.h"

constexpr ModuleName kHistoryModule{"cyclune-history.so", "CycluneHistoryModule", 1};

using HistoryModule =
    ModuleTable<&OpenHistoryFile, &ReadHistoryOperations, &CommitHistoryChange, &CloseHistoryFile>;

// cyclune --import FILE [--dry-run]: brings the history kept by another period tracker into
// Cyclune. Every period start found in FILE (see interop/import_parse.h for the formats) is
// recorded in date order as "Set last period" on that day would record it, after the last
// period already stored; the result is saved once, atomically, after the settings file has been
// copied aside as registry.reg.before-import-YYYYmmdd-HHMMSS (a second name, for one over the
// read limit). The settings are read, folded, copied and saved under the writers' lock, so an
// import or a save beside it is neither lost nor loses this one. A table on standard output
// shows each start, its interval and the settings after it, and every file the import leaves
// beside the settings is named. With dry_run nothing is written at all.
#pragma once

#include <string>

// Exit statuses of the import: done (or nothing new to record); the settings could not be read,
// locked, copied aside or saved, or the file-format module is missing; the import was refused
// (one line on standard error, nothing written).
inline constexpr int kImportDone = 0;
inline constexpr int kImportFailed = 1;
inline constexpr int kImportRefused = 2;

// Runs the import of `file` ("-": standard input). The clock (LocalNow, --now when given)
// says what today is and gives every recorded start its time of day.
int RunImport(const std::string& file, bool dry_run);

// The files around an import: reading the file to import with a bound on its size, and keeping
// a copy of the settings file from before the import.
#pragma once

#include <string>

enum class ImportRead { kRead, kTooLarge, kFailed };

// Reads the whole file at `path` ("-" is standard input) into *bytes, up to `limit` bytes;
// kTooLarge beyond that, kFailed with *error (the system's words) when it cannot be read.
ImportRead ReadImportFile(const std::string& path, std::size_t limit, std::string* bytes,
                          std::string* error);

// Copies `settings_file` to <settings_file>.before-import-YYYYmmdd-HHMMSS (local time; -2, -3
// ... appended when that name is taken), mode 0600, flushed to disk with its folder. A file
// larger than `copy_limit` gets that name as a second name (a hard link) instead, as the save
// itself keeps such a file, so that no import fills the disk with a copy of it. True with
// *copy empty when there is no settings file to copy; false with *error when the copy failed,
// in which case no partial copy is left.
bool CopySettingsAside(const std::string& settings_file, std::size_t copy_limit, std::string* copy,
                       std::string* error);

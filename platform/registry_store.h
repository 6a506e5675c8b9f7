// The file beneath the registry: where it lives, reading it, and replacing it so that a crash,
// a full disk or a concurrent writer never leaves it torn, empty or missing someone's values.
//
// Folder ${XDG_CONFIG_HOME:-$HOME/.config}/cyclune, created 0700 with its parents as needed,
// made 0700 again before each write when it is the user's own, and not written at all when
// it belongs to another user. In it registry.reg (0600), registry.reg.lock (0600, the
// advisory lock that serialises writers of all processes), registry.reg.tmp (the next version
// while it is being written) and registry.reg.unreadable-YYYYmmdd-HHMMSS (local time) holding
// an original that could not be read in full: a copy (0600) of a file that did not parse
// cleanly, or, for a file over the read limit, the file itself under a second name.
//
// A symbolic link at registry.reg is read through and written through: the new version
// replaces the file it leads to, beside it, when that file and its folder are the user's own
// and no one else may write the folder; otherwise the write is refused. A hard link is not
// followed: the new version takes the name registry.reg, the other names keep the old file.
// Anything but a plain file at the temporary name is never touched.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "platform/registry_text.h"

// A failure to read or write: errno (0 when the reason is our own), the path concerned and the
// reason in words, the system's ("No space left on device") where there is one.
struct StoreFailure {
  int error = 0;
  std::string path;
  std::string reason;
};

// Files larger than this are read only this far, count as unclean and are never rewritten from
// the part read. A settings file is a few hundred bytes; this bounds time and memory.
constexpr std::size_t kMaxRegistryFileBytes = std::size_t{8} << 20;

// The registry folder of the current environment; XDG_CONFIG_HOME counts only when absolute.
// Empty when no home folder can be found.
std::string RegistryFolder();

// Makes the folder, with any missing parents, as a save would; false with *failure set when
// it cannot be had.
bool MakeRegistryFolder(const std::string& folder, StoreFailure* failure);

// The registry file's path inside `folder`.
std::string RegistryFileIn(const std::string& folder);

// Reads and parses the file in `folder` without locking (replacement is atomic, so a reader
// sees one whole version). A missing file reads as an empty, clean document.
bool LoadRegistryDocument(const std::string& folder, RegTextParse* parse, StoreFailure* failure);

// Takes the writers' lock of `folder` (made as a save would make it) and keeps it until
// ReleaseRegistryLock; meanwhile UpdateRegistryDocument on that folder runs under it instead
// of taking it again. Calls nest: the lock goes with the last release. False with *failure
// set when the lock cannot be had.
bool HoldRegistryLock(const std::string& folder, StoreFailure* failure);
void ReleaseRegistryLock();

// A change to the document. `sets_values` false (only keys created) never replaces a file
// that could not be read in full.
struct RegistryEdit {
  std::function<void(RegTextDocument&)> apply;
  bool sets_values = true;
};

// Under the lock: reads the file afresh, applies `edit`, writes the result to the temporary
// file, flushes it, renames it over the file and flushes the folder. A file that did not parse
// cleanly is first copied aside. A file over the read limit is not read: it is moved aside
// (under a second name, no copy) and the result of `edit` on an empty document starts the new
// file; *moved_aside then receives the path it was moved to. On failure the file keeps its old
// contents and no temporary file is left.
bool UpdateRegistryDocument(const std::string& folder, const RegistryEdit& edit,
                            StoreFailure* failure, std::string* moved_aside);

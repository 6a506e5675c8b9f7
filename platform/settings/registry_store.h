// The file beneath the registry: where it lives, reading it, and replacing it so that a crash,
// a full disk or a concurrent writer never leaves it torn, empty or missing someone's values.
//
// Folder ${XDG_CONFIG_HOME:-$HOME/.config}/cyclune, created 0700 with its parents as needed,
// made 0700 again before each write when it is the user's own, and not written at all when
// it belongs to another user. In it registry.reg (0600), registry.reg.lock (0600, the
// advisory lock that serialises writers of all processes, waited for kRegistryLockWait at
// most), registry.reg.tmp (the next version
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

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "platform/settings/registry_text.h"
#include "platform/settings/settings_file.h"

// A failure to read or write: errno (0 when the reason is our own), the path concerned and the
// reason in words, the system's ("No space left on device") where there is one.
struct StoreFailure {
  int error = 0;
  std::string path;
  std::string reason;
};

// How long a writer waits for the lock that another holds before it gives up, saving nothing.
// A save holds it for milliseconds; a holder past this is stuck, or not a writer at all.
constexpr std::chrono::seconds kRegistryLockWait{5};

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

// A change to the document. `sets_values` false (only keys created) never replaces a file
// that could not be read in full.
struct RegistryEdit {
  std::function<void(RegTextDocument&)> apply;
  bool sets_values = true;
};

// Where an update kept the file it replaced: `moved`, a file over the read limit given a second
// name; `copied`, a copy of a file that did not parse cleanly. Empty when it kept nothing.
struct KeptAside {
  std::string moved;
  std::string copied;
};

// Under the lock: reads the file afresh, applies `edit`, writes the result to the temporary
// file, flushes it, renames it over the file and flushes the folder. A file that did not parse
// cleanly is first copied aside. A file over the read limit is not read: it is moved aside
// (under a second name, no copy) and the result of `edit` on an empty document starts the new
// file. *kept says where either went (a copy stays even when the save then fails). On failure
// the file keeps its old contents and no temporary file is left.
bool UpdateRegistryDocument(const std::string& folder, const RegistryEdit& edit,
                            StoreFailure* failure, KeptAside* kept);

// Takes the writers' lock of `folder` for a whole change (making the folder as a save would),
// so that a read of the file, a change worked out from it and its save are one step to every
// other writer; the updates of this process meanwhile go on under it without waiting. The
// descriptor that holds it, or -1 with *failure set. One at a time per process.
int HoldWriteLock(const std::string& folder, StoreFailure* failure);

// Gives back a lock that HoldWriteLock took.
void ReleaseWriteLock(int fd);

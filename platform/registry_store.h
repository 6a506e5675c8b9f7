// The file beneath the registry: where it lives, reading it, and replacing it so that a crash,
// a full disk or a concurrent writer never leaves it torn, empty or missing someone's values.
//
// Folder ${XDG_CONFIG_HOME:-$HOME/.config}/cyclune, created 0700 with its parents as needed;
// in it registry.reg (0600), registry.reg.lock (the advisory lock that serialises writers of
// all processes), registry.reg.tmp (the next version while it is being written) and, for a
// file that did not parse cleanly, registry.reg.unreadable-YYYYmmdd-HHMMSS (0600, local time)
// holding the original bytes. A symbolic link at registry.reg is read through but replaced by
// the new file; anything but a plain file at the temporary name is never touched.
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

// Files larger than this are read only this far (and count as unclean, so they are kept aside
// whole before a save). A settings file is a few hundred bytes; this bounds time and memory.
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

// Under the lock: reads the file afresh, lets `edit` change it, copies an unclean original
// aside, writes the result to the temporary file, flushes it, renames it over the file and
// flushes the folder. On failure the file keeps its old contents and no temporary file is left.
bool UpdateRegistryDocument(const std::string& folder,
                            const std::function<void(RegTextDocument&)>& edit,
                            StoreFailure* failure);

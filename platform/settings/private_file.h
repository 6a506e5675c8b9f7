// Writing a file that holds cycle data: readable by its owner alone (0600) and replaced
// atomically and durably, so that a crash, a full disk or a reader at the wrong moment sees
// the old file or the new one, whole, and never a torn one.
//
// Example:
//   std::string error;
//   if (!WritePrivateFile("/home/ann/cyclune.ics", text, &error)) {
//     std::fprintf(stderr, "cyclune: %s\n", error.c_str());  // names the file and the reason
//   }
#pragma once

#include <string>
#include <string_view>

// Writes `bytes` to `path`:
// - a regular file, or a name where there is none yet, is replaced: a new temporary file in
//   its folder (created exclusively, mode 0600) is filled, flushed to the disk and renamed over
//   it, and the folder is flushed;
// - a symbolic link is written through: the file it leads to is replaced so, in that file's own
//   folder, and the link stays. A link is followed only when it is the user's own or root's,
//   so that a link planted in a shared folder cannot point a write elsewhere;
// - anything else (a FIFO, a terminal, a device such as /dev/null) is written in place, as
//   standard output would be, and so are /dev/stdout, /dev/stderr, /dev/fd/N and
//   /proc/self/fd/N, which are this process's own open descriptors.
// On failure a replaced file is left as it was, no temporary file remains, and *error holds
// one line naming the file and the system's reason.
bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string* error);

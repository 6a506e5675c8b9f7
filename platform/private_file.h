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

// Writes `bytes` to a new temporary file in the folder of `path` (created exclusively, mode
// 0600), flushes it to the disk, renames it over `path` and flushes the folder. A symbolic
// link at `path` is replaced, not followed. On failure `path` is left as it was, no temporary
// file remains, and *error holds one line naming the file and the system's reason.
bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string* error);

// Whether the file-format module (cyclune-formats.so) could be opened, for the commands that
// need it (--ics, --import) to end as a broken installation does before they begin.
#pragma once

// Opens the module at the first call. False when it is missing or broken: its reason has then
// gone to standard error, once, as one line.
bool FileFormatsAvailable();

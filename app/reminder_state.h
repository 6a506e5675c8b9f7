// What the reminders have said, kept so that each is said once: one key a line
// (app/reminders.h ReminderKey) in ${XDG_STATE_HOME:-$HOME/.local/state}/cyclune/reminders.
// The folder is made 0700 and the file written 0600, atomically, since the keys name
// predicted days of the user's cycle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The state file of the current environment; XDG_STATE_HOME counts only when absolute. Empty
// when no home folder can be found.
std::string ReminderStateFile();

// The keys in the file at `path`; none when there is no file. False, with *error naming the
// file and the reason, when it exists and cannot be read.
bool ReadSaidReminders(const std::string& path, std::vector<std::string>* keys, std::string* error);

// Replaces the file at `path` with `keys`, making its folder (0700) when needed. False, with
// *error naming the file or folder and the reason, when that cannot be done.
bool WriteSaidReminders(const std::string& path, const std::vector<std::string>& keys,
                        std::string* error);

// The keys worth keeping: those of days from `oldest` (a day number) on. Older predictions can
// never be due again; keys that are no keys are dropped too.
std::vector<std::string> KeptReminders(const std::vector<std::string>& keys, std::int64_t oldest);

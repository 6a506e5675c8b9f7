// The stored cycle settings: the three cycle values and the date of the last period, kept as
// five 32-bit values in the settings file's key [HKEY_LOCAL_MACHINE\Software\Tamberlock\Cyclune]:
// "CycleLength", "LutealPhase", "MenstrualDays", and the last period's tick count split into
// "LastPeriodHigh" and "LastPeriodLow". A missing value leaves its field as it is; a value that
// is not a four-byte REG_DWORD is not taken for one.
//
// Example:
//   LoadSettings(state);                          // at start, after SelectedDate is set
//   ...
//   SettingsSaveResult saved = SaveSettings(state);  // after a period is recorded
//   if (!saved.ok) show SaveFailureSentence(saved) in a box captioned "Cyclune"
//   else if (!saved.moved_aside.empty()) show SaveNoticeSentence(saved) likewise
#pragma once

#include <cstdint>
#include <string>

#include "platform/dates/civil_day.h"

struct CalendarState;

// The cycle settings as the program holds them: the fields of a CalendarState that loading
// fills and a recording reads and writes, as a value.
struct CycleSettings {
  std::int32_t CycleLength = 28;
  std::int32_t MenstrualDays = 5;
  std::int32_t LutealPhase = 14;
  bool LastPeriodKnown = false;
  LocalDateTime LastPeriod{};
};

// The five values as the settings file holds them. Two settings are the same for the file
// when these are equal.
struct StoredSettings {
  std::int32_t CycleLength = 28;
  std::int32_t LutealPhase = 14;
  std::int32_t MenstrualDays = 5;
  std::uint32_t LastPeriodHigh = 0;
  std::uint32_t LastPeriodLow = 0;
  friend bool operator==(const StoredSettings&, const StoredSettings&) = default;
};

// What LoadSettings makes of the five values: the last period is known when the halves,
// added as 32-bit words, are not 0.
CycleSettings LoadedSettings(const StoredSettings& stored);

// What SaveSettings writes for the settings (both halves 0 without a known last period, one
// tick later for halves that would add up to 0). False, *stored untouched, when the last
// period is not a valid date.
bool StoredSettingsOf(const CycleSettings& settings, StoredSettings* stored);

// The settings fields of `state`, and back.
CycleSettings CycleSettingsOf(const CalendarState& state);
void SetCycleSettings(const CycleSettings& settings, CalendarState* state);

// How a save went. When it failed, `file` is the file or folder that could not be written and
// `reason` the system's words for why ("No space left on device"); the settings in the state
// are kept either way. When it succeeded, `moved_aside` names where a settings file too large
// to read in full was moved before a new one was started (empty when none was).
//
// `path` is `file` as the system names it, byte for byte, for a name that is not UTF-8;
// `moved_path` and `copied_path` where a save kept the file it replaced, as the system names
// them: moved under a second name (a file too large to read in full), or copied (a file that
// did not parse cleanly; kept even when the save then failed). Empty when it kept nothing.
struct SettingsSaveResult {
  bool ok = false;
  std::u16string file;
  std::u16string reason;
  std::u16string moved_aside;
  std::string path;
  std::string moved_path;
  std::string copied_path;
};

// Fills CycleLength, LutealPhase and MenstrualDays of `state` from their stored values, and
// LastPeriod with LastPeriodKnown = 1 when the stored halves, added as 32-bit words, are not 0.
// Fields whose value is missing or not a four-byte REG_DWORD keep their values; nothing is
// reported.
void LoadSettings(CalendarState& state);

// LoadSettings for a reader that must leave the disk as it is (an import before it saves, a
// dry run, the commands that print the report, the month or the calendar): when the key or the file
// is absent nothing is created and every field keeps its value. `ok` is false, with the file and
// the reason, only when the file cannot be read.
SettingsSaveResult LoadSettingsWithoutCreating(CalendarState& state);

// Stores all five values from `state` (both halves 0 without a known last period), creating
// the key when needed, and says whether they reached the disk. A last period whose halves
// would add up to 0 is stored one tick (100 ns) later, so that it loads as known and as the
// same millisecond.
SettingsSaveResult SaveSettings(const CalendarState& state);

// Writes the five values as they are, creating the key when needed; SaveSettings of values
// already in the file's form.
SettingsSaveResult SaveStoredSettings(const StoredSettings& stored);

// The five values the settings file holds, as LoadSettings would read them into the initial
// settings (a missing value keeps its initial one), creating nothing. `ok` is false, with the
// file and the reason, only when the file cannot be read.
SettingsSaveResult ReadStoredSettings(StoredSettings* stored);

// The message for a failed save, naming the file and the reason, e.g. "Cyclune could not save
// your settings to /home/ann/.config/cyclune/registry.reg: No space left on device. The new
// settings are kept only until Cyclune is closed." Empty for a save that succeeded.
std::u16string SaveFailureSentence(const SettingsSaveResult& result);

// What the user should know of a save that succeeded, e.g. "Your settings file
// /home/ann/.config/cyclune/registry.reg was too large to read in full, so it was moved to
// /home/ann/.config/cyclune/registry.reg.unreadable-20260310-080000 and a new one was started
// with your settings." Empty when there is nothing to tell.
std::u16string SaveNoticeSentence(const SettingsSaveResult& result);

#include "model/settings.h"

#include <cstdint>

#include "model/app_state.h"
#include "platform/dates/datetime.h"
#include "platform/settings/registry.h"

namespace {

constexpr const char16_t* kSettingsKey = u"Software\\Tamberlock\\Cyclune";

// Reads a value only when it is what it claims to be for us: a REG_DWORD of exactly four
// bytes. A string "28" or four bytes of hex would otherwise be taken as a number.
bool ReadDword(HKEY key, const char16_t* name, DWORD* out) {
  BYTE bytes[4] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof bytes;
  if (RegQueryValueExW(key, name, nullptr, &type, bytes, &size) != ERROR_SUCCESS) return false;
  if (type != REG_DWORD || size != sizeof bytes) return false;
  *out = static_cast<DWORD>(bytes[0]) | (static_cast<DWORD>(bytes[1]) << 8) |
         (static_cast<DWORD>(bytes[2]) << 16) | (static_cast<DWORD>(bytes[3]) << 24);
  return true;
}

void ReadSetting(HKEY key, const char16_t* name, std::int32_t* field) {
  DWORD value = 0;
  if (ReadDword(key, name, &value)) *field = static_cast<std::int32_t>(value);
}

// The five values of an open key into *settings, each field that has one; the key is closed
// (it was only read).
void ReadSettingsAndClose(HKEY key, CycleSettings* settings) {
  ReadSetting(key, u"CycleLength", &settings->CycleLength);
  ReadSetting(key, u"LutealPhase", &settings->LutealPhase);
  ReadSetting(key, u"MenstrualDays", &settings->MenstrualDays);
  DWORD high = 0;
  DWORD low = 0;
  ReadDword(key, u"LastPeriodHigh", &high);
  ReadDword(key, u"LastPeriodLow", &low);
  RegCloseKey(key);
  const CycleSettings loaded = LoadedSettings(StoredSettings{0, 0, 0, high, low});
  if (loaded.LastPeriodKnown) {
    settings->LastPeriod = loaded.LastPeriod;
    settings->LastPeriodKnown = true;
  }
}

void ReadSettingsAndClose(HKEY key) {
  CycleSettings settings = CycleSettingsOf(AppState);
  ReadSettingsAndClose(key, &settings);
  SetCycleSettings(settings, &AppState);
}

LONG WriteDword(HKEY key, const char16_t* name, DWORD value) {
  const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                         static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
  return RegSetValueExW(key, name, 0, REG_DWORD, bytes, sizeof bytes);
}

SettingsSaveResult FailedSave() {
  RegistryFailure failure = GetRegistryFailure();
  return SettingsSaveResult{false, failure.file.empty() ? RegistryFilePath() : failure.file,
                            failure.reason, u""};
}

}  // namespace

void LoadSettings() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, 0, nullptr, &key,
                      &disposition) != ERROR_SUCCESS) {
    return;
  }
  ReadSettingsAndClose(key);
}

SettingsSaveResult LoadSettingsWithoutCreating() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, 0, &key) != ERROR_SUCCESS) {
    const RegistryFailure failure = GetRegistryFailure();
    if (failure.code == ERROR_FILE_NOT_FOUND)
      return SettingsSaveResult{true, failure.file, u"", u""};
    return FailedSave();
  }
  ReadSettingsAndClose(key);
  return SettingsSaveResult{true, RegistryFilePath(), u"", u""};
}

CycleSettings LoadedSettings(const StoredSettings& stored) {
  CycleSettings settings;
  settings.CycleLength = stored.CycleLength;
  settings.LutealPhase = stored.LutealPhase;
  settings.MenstrualDays = stored.MenstrualDays;
  // The stored sum, carry dropped, is what marks a last period as recorded.
  if (static_cast<std::uint32_t>(stored.LastPeriodHigh + stored.LastPeriodLow) != 0) {
    const std::uint64_t ticks =
        (static_cast<std::uint64_t>(stored.LastPeriodHigh) << 32) | stored.LastPeriodLow;
    settings.LastPeriod = LocalDateTimeOfTicks(ticks);
    settings.LastPeriodKnown = true;
  }
  return settings;
}

bool StoredSettingsOf(const CycleSettings& settings, StoredSettings* stored) {
  if (settings.LastPeriodKnown && !IsValidTimeOfDay(settings.LastPeriod)) return false;
  std::uint64_t ticks = settings.LastPeriodKnown ? TicksOf(settings.LastPeriod) : 0;
  auto high = static_cast<std::uint32_t>(ticks >> 32);
  auto low = static_cast<std::uint32_t>(ticks & 0xFFFFFFFFu);
  if (settings.LastPeriodKnown && static_cast<std::uint32_t>(high + low) == 0) {
    // Halves adding up to 0 would load as no last period (1 January 1601 00:00:00.000, some
    // instants before). One tick more still names the same millisecond.
    if (++low == 0) ++high;
  }
  *stored =
      StoredSettings{settings.CycleLength, settings.LutealPhase, settings.MenstrualDays, high, low};
  return true;
}

CycleSettings CycleSettingsOf(const AppStateRecord& state) {
  return CycleSettings{state.CycleLength, state.MenstrualDays, state.LutealPhase,
                       state.LastPeriodKnown != 0, state.LastPeriod};
}

void SetCycleSettings(const CycleSettings& settings, AppStateRecord* state) {
  state->CycleLength = settings.CycleLength;
  state->MenstrualDays = settings.MenstrualDays;
  state->LutealPhase = settings.LutealPhase;
  state->LastPeriodKnown = settings.LastPeriodKnown ? 1 : 0;
  state->LastPeriod = settings.LastPeriod;
}

SettingsSaveResult SaveSettings() {
  StoredSettings stored;
  if (!StoredSettingsOf(CycleSettingsOf(AppState), &stored)) {
    // Storing some other instant would silently replace the period the user set.
    return SettingsSaveResult{false, RegistryFilePath(),
                              u"the date of the last period is not a valid date", u""};
  }
  return SaveStoredSettings(stored);
}

SettingsSaveResult SaveStoredSettings(const StoredSettings& stored) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, 0, nullptr, &key,
                      &disposition) != ERROR_SUCCESS) {
    return FailedSave();
  }
  const LONG written[] = {
      WriteDword(key, u"CycleLength", static_cast<DWORD>(stored.CycleLength)),
      WriteDword(key, u"LutealPhase", static_cast<DWORD>(stored.LutealPhase)),
      WriteDword(key, u"MenstrualDays", static_cast<DWORD>(stored.MenstrualDays)),
      WriteDword(key, u"LastPeriodHigh", stored.LastPeriodHigh),
      WriteDword(key, u"LastPeriodLow", stored.LastPeriodLow),
  };
  SettingsSaveResult result{true, RegistryFilePath(), u"", u""};
  for (LONG code : written) {
    if (code != ERROR_SUCCESS && result.ok) result = FailedSave();
  }
  if (RegCloseKey(key) != ERROR_SUCCESS && result.ok) result = FailedSave();
  if (result.ok) result.moved_aside = GetRegistryMovedAside();
  return result;
}

SettingsSaveResult ReadStoredSettings(StoredSettings* stored) {
  CycleSettings settings;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, 0, &key) != ERROR_SUCCESS) {
    const RegistryFailure failure = GetRegistryFailure();
    if (failure.code != ERROR_FILE_NOT_FOUND) return FailedSave();
  } else {
    ReadSettingsAndClose(key, &settings);
  }
  StoredSettingsOf(settings, stored);  // a last period read from ticks converts back
  return SettingsSaveResult{true, RegistryFilePath(), u"", u""};
}

std::u16string SaveFailureSentence(const SettingsSaveResult& result) {
  if (result.ok) return u"";
  std::u16string reason = result.reason.empty() ? u"the reason is unknown" : result.reason;
  if (reason.back() != u'.') reason += u'.';
  return u"Cyclune could not save your settings to " + result.file + u": " + reason +
         u" The new settings are kept only until Cyclune is closed.";
}

std::u16string SaveNoticeSentence(const SettingsSaveResult& result) {
  if (!result.ok || result.moved_aside.empty()) return u"";
  return u"Your settings file " + result.file +
         u" was too large to read in full, so it was moved to " + result.moved_aside +
         u" and a new one was started with your settings.";
}

#include "model/settings.h"

#include <cstdint>

#include "model/app_state.h"
#include "platform/datetime.h"
#include "platform/registry.h"

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

// The five values of an open key into AppState; the key is closed (it was only read).
void ReadSettingsAndClose(HKEY key) {
  ReadSetting(key, u"CycleLength", &AppState.CycleLength);
  ReadSetting(key, u"LutealPhase", &AppState.LutealPhase);
  ReadSetting(key, u"MenstrualDays", &AppState.MenstrualDays);
  DWORD high = 0;
  DWORD low = 0;
  ReadDword(key, u"LastPeriodHigh", &high);
  ReadDword(key, u"LastPeriodLow", &low);
  RegCloseKey(key);
  // The stored sum, carry dropped, is what marks a last period as recorded.
  if (static_cast<DWORD>(high + low) != 0) {
    const FILETIME ticks{low, high};
    FileTimeToSystemTime(&ticks, &AppState.LastPeriod);
    AppState.LastPeriodKnown = 1;
  }
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

SettingsSaveResult SaveSettings() {
  FILETIME ticks{0, 0};
  if (AppState.LastPeriodKnown && !SystemTimeToFileTime(&AppState.LastPeriod, &ticks)) {
    // Storing some other instant would silently replace the period the user set.
    return SettingsSaveResult{false, RegistryFilePath(),
                              u"the date of the last period is not a valid date", u""};
  }
  if (AppState.LastPeriodKnown &&
      static_cast<DWORD>(ticks.dwHighDateTime + ticks.dwLowDateTime) == 0) {
    // Halves adding up to 0 would load as no last period (1 January 1601 00:00:00.000, some
    // instants before). One tick more still names the same millisecond.
    if (++ticks.dwLowDateTime == 0) ++ticks.dwHighDateTime;
  }
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, 0, nullptr, &key,
                      &disposition) != ERROR_SUCCESS) {
    return FailedSave();
  }
  const LONG written[] = {
      WriteDword(key, u"CycleLength", static_cast<DWORD>(AppState.CycleLength)),
      WriteDword(key, u"LutealPhase", static_cast<DWORD>(AppState.LutealPhase)),
      WriteDword(key, u"MenstrualDays", static_cast<DWORD>(AppState.MenstrualDays)),
      WriteDword(key, u"LastPeriodHigh", ticks.dwHighDateTime),
      WriteDword(key, u"LastPeriodLow", ticks.dwLowDateTime),
  };
  SettingsSaveResult result{true, RegistryFilePath(), u"", u""};
  for (LONG code : written) {
    if (code != ERROR_SUCCESS && result.ok) result = FailedSave();
  }
  if (RegCloseKey(key) != ERROR_SUCCESS && result.ok) result = FailedSave();
  if (result.ok) result.moved_aside = GetRegistryMovedAside();
  return result;
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

#include "model/settings.h"

#include <cstdint>

#include "model/calendar_state.h"
#include "platform/dates/datetime.h"
#include "platform/settings/settings_file.h"
#include "platform/text/unicode.h"

namespace {

constexpr const char16_t* kSettingsKey = u"HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune";

void ReadSetting(const SettingsKeyRead& read, const char16_t* name, std::int32_t* field) {
  if (const auto value = read.Dword(name)) *field = static_cast<std::int32_t>(*value);
}

// The five values of the key as read into *settings, each field that has one.
void ApplyRead(const SettingsKeyRead& read, CycleSettings* settings) {
  ReadSetting(read, u"CycleLength", &settings->CycleLength);
  ReadSetting(read, u"LutealPhase", &settings->LutealPhase);
  ReadSetting(read, u"MenstrualDays", &settings->MenstrualDays);
  const std::uint32_t high = read.Dword(u"LastPeriodHigh").value_or(0);
  const std::uint32_t low = read.Dword(u"LastPeriodLow").value_or(0);
  const CycleSettings loaded = LoadedSettings(StoredSettings{0, 0, 0, high, low});
  if (loaded.LastPeriodKnown) {
    settings->LastPeriod = loaded.LastPeriod;
    settings->LastPeriodKnown = true;
  }
}

void ApplyRead(const SettingsKeyRead& read, CalendarState& state) {
  CycleSettings settings = CycleSettingsOf(state);
  ApplyRead(read, &settings);
  SetCycleSettings(settings, &state);
}

SettingsSaveResult Succeeded() {
  SettingsSaveResult result;
  result.ok = true;
  result.file = SettingsFileName();
  result.path = SettingsFilePath();
  return result;
}

SettingsSaveResult Failed(const SettingsFileStatus& status) {
  SettingsSaveResult result;
  result.file = status.file.empty() ? SettingsFileName() : status.file;
  result.path = status.file.empty() ? SettingsFilePath() : status.path;
  result.reason = status.reason;
  return result;
}

}  // namespace

void LoadSettings(CalendarState& state) {
  const SettingsKeyRead read = ReadSettingsKey(kSettingsKey);
  if (!read.status.ok) return;
  ApplyRead(read, state);
  // The first start leaves the empty key in the file, as a sign the settings were looked for.
  if (!read.found) CreateSettingsKey(kSettingsKey);
}

SettingsSaveResult LoadSettingsWithoutCreating(CalendarState& state) {
  const SettingsKeyRead read = ReadSettingsKey(kSettingsKey);
  if (!read.status.ok) return Failed(read.status);
  ApplyRead(read, state);
  return Succeeded();
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

CycleSettings CycleSettingsOf(const CalendarState& state) {
  return CycleSettings{state.CycleLength, state.MenstrualDays, state.LutealPhase,
                       state.LastPeriodKnown != 0, state.LastPeriod};
}

void SetCycleSettings(const CycleSettings& settings, CalendarState* state) {
  state->CycleLength = settings.CycleLength;
  state->MenstrualDays = settings.MenstrualDays;
  state->LutealPhase = settings.LutealPhase;
  state->LastPeriodKnown = settings.LastPeriodKnown ? 1 : 0;
  state->LastPeriod = settings.LastPeriod;
}

SettingsSaveResult SaveSettings(const CalendarState& state) {
  StoredSettings stored;
  if (!StoredSettingsOf(CycleSettingsOf(state), &stored)) {
    // Storing some other instant would silently replace the period the user set.
    SettingsSaveResult refused = Succeeded();
    refused.ok = false;
    refused.reason = u"the date of the last period is not a valid date";
    return refused;
  }
  return SaveStoredSettings(stored);
}

SettingsSaveResult SaveStoredSettings(const StoredSettings& stored) {
  const SettingsFileSave saved = SaveSettingsDwords(
      kSettingsKey, {
                        {u"CycleLength", static_cast<std::uint32_t>(stored.CycleLength)},
                        {u"LutealPhase", static_cast<std::uint32_t>(stored.LutealPhase)},
                        {u"MenstrualDays", static_cast<std::uint32_t>(stored.MenstrualDays)},
                        {u"LastPeriodHigh", stored.LastPeriodHigh},
                        {u"LastPeriodLow", stored.LastPeriodLow},
                    });
  SettingsSaveResult result = saved.status.ok ? Succeeded() : Failed(saved.status);
  result.moved_path = saved.moved;
  result.copied_path = saved.copied;
  if (result.ok) result.moved_aside = SystemNameText(saved.moved);
  return result;
}

SettingsSaveResult ReadStoredSettings(StoredSettings* stored) {
  CycleSettings settings;
  const SettingsKeyRead read = ReadSettingsKey(kSettingsKey);
  if (!read.status.ok) return Failed(read.status);
  ApplyRead(read, &settings);
  StoredSettingsOf(settings, stored);  // a last period read from ticks converts back
  return Succeeded();
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

// The settings key over the .reg document and its store: a read parses the file once; a save
// is one UpdateRegistryDocument, which reads and parses it once more only under the lock.
#include "platform/settings/settings_file.h"

#include "platform/settings/registry_store.h"
#include "platform/settings/registry_text.h"
#include "platform/text/unicode.h"

namespace {

constexpr const char16_t* kNoHome =
    u"No home folder is known (neither XDG_CONFIG_HOME nor HOME is set)";

SettingsFileStatus Failed(const StoreFailure& failure) {
  return SettingsFileStatus{false, SystemNameText(failure.path), failure.path,
                            SystemNameText(failure.reason)};
}

SettingsFileStatus NoHome() { return SettingsFileStatus{false, u"", "", kNoHome}; }

SettingsFileSave Update(const RegistryEdit& edit) {
  const std::string folder = RegistryFolder();
  if (folder.empty()) return SettingsFileSave{NoHome(), "", ""};
  StoreFailure failure;
  KeptAside kept;
  SettingsFileSave save;
  if (!UpdateRegistryDocument(folder, edit, &failure, &kept)) save.status = Failed(failure);
  save.moved = kept.moved;
  save.copied = kept.copied;
  return save;
}

}  // namespace

std::optional<std::uint32_t> SettingsKeyRead::Dword(std::u16string_view name) const {
  for (const auto& [dword_name, value] : dwords) {
    if (RegNamesEqual(dword_name, name)) return value;
  }
  return std::nullopt;
}

std::string SettingsFilePath() {
  const std::string folder = RegistryFolder();
  return folder.empty() ? std::string() : RegistryFileIn(folder);
}

std::u16string SettingsFileName() { return SystemNameText(SettingsFilePath()); }

SettingsKeyRead ReadSettingsKey(std::u16string_view key) {
  SettingsKeyRead read;
  const std::string folder = RegistryFolder();
  if (folder.empty()) {
    read.status = NoHome();
    return read;
  }
  RegTextParse parse;
  StoreFailure failure;
  if (!LoadRegistryDocument(folder, &parse, &failure)) {
    read.status = Failed(failure);
    return read;
  }
  read.found = RegKeyExists(parse.document, key);
  for (const RegKeyValue& value : ResolveRegKey(parse.document, key)) {
    if (value.type != REG_DWORD || value.data.size() != 4) continue;
    read.dwords.emplace_back(value.name, static_cast<std::uint32_t>(value.data[0]) |
                                             (static_cast<std::uint32_t>(value.data[1]) << 8) |
                                             (static_cast<std::uint32_t>(value.data[2]) << 16) |
                                             (static_cast<std::uint32_t>(value.data[3]) << 24));
  }
  return read;
}

SettingsFileSave CreateSettingsKey(std::u16string_view key) {
  return Update(
      RegistryEdit{[key](RegTextDocument& document) { EnsureRegKey(document, key); }, false});
}

SettingsFileSave SaveSettingsDwords(
    std::u16string_view key, const std::vector<std::pair<std::u16string, std::uint32_t>>& dwords) {
  return Update(RegistryEdit{
      [key, &dwords](RegTextDocument& document) {
        EnsureRegKey(document, key);
        for (const auto& [name, value] : dwords) {
          const std::vector<std::uint8_t> bytes = {
              static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
              static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
          SetRegValue(document, key, RegKeyValue{name, REG_DWORD, bytes});
        }
      },
      true});
}

SettingsWriteLock::~SettingsWriteLock() { ReleaseWriteLock(fd_); }

SettingsFileStatus SettingsWriteLock::Take() {
  if (fd_ >= 0) return SettingsFileStatus{};
  const std::string folder = RegistryFolder();
  if (folder.empty()) return NoHome();
  StoreFailure failure;
  fd_ = HoldWriteLock(folder, &failure);
  return fd_ >= 0 ? SettingsFileStatus{} : Failed(failure);
}

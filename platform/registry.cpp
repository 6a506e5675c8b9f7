// The registry calls over the text file. A key handle holds the key's values as read at open
// plus the changes made through it; the file is touched only when a key is opened (read) and
// when a changed or newly created key is closed (one locked read-modify-write).
#include "platform/registry.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/registry_store.h"
#include "platform/registry_text.h"

struct RegistryKey {
  std::u16string path;                // root name first
  std::string folder;                 // where its file was when it was opened
  bool created = false;               // absent at open: the close writes it
  std::vector<RegKeyValue> values;    // as read, with the changes below applied
  std::vector<RegKeyValue> changes;   // in the order they were made
};

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

thread_local RegistryFailure lastFailure;
thread_local std::u16string lastMovedAside;

std::mutex& OpenKeysMutex() {
  static std::mutex mutex;
  return mutex;
}

// Handles given out and not yet closed, so a stale or foreign handle is refused, not followed.
std::unordered_set<RegistryKey*>& OpenKeys() {
  static std::unordered_set<RegistryKey*> keys;
  return keys;
}

bool IsOpen(HKEY key) {
  std::lock_guard<std::mutex> guard(OpenKeysMutex());
  return OpenKeys().count(key) != 0;
}

const char16_t* RootName(HKEY key) {
  if (key == HKEY_CLASSES_ROOT) return u"HKEY_CLASSES_ROOT";
  if (key == HKEY_CURRENT_USER) return u"HKEY_CURRENT_USER";
  if (key == HKEY_LOCAL_MACHINE) return u"HKEY_LOCAL_MACHINE";
  if (key == HKEY_USERS) return u"HKEY_USERS";
  if (key == HKEY_CURRENT_CONFIG) return u"HKEY_CURRENT_CONFIG";
  return nullptr;
}

// System texts are UTF-8 in practice; a byte that is not is taken as Latin-1 rather than lost.
std::u16string Widen(const std::string& text) {
  std::u16string wide;
  if (Utf8ToUtf16(text, &wide)) return wide;
  wide.clear();
  for (char c : text) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return wide;
}

LONG Failed(LONG code, std::u16string file, std::u16string reason) {
  lastFailure = RegistryFailure{code, std::move(file), std::move(reason)};
  return code;
}

LONG FailedParameter(const std::string& folder) {
  return Failed(ERROR_INVALID_PARAMETER, folder.empty() ? u"" : Widen(RegistryFileIn(folder)),
                u"The parameter is incorrect");
}

LONG FailedStore(const StoreFailure& failure) {
  LONG code = ERROR_REGISTRY_IO_FAILED;
  if (failure.error == ENOSPC || failure.error == EDQUOT) code = ERROR_DISK_FULL;
  if (failure.error == EACCES || failure.error == EPERM || failure.error == EROFS) {
    code = ERROR_ACCESS_DENIED;
  }
  return Failed(code, Widen(failure.path), Widen(failure.reason));
}

// Accepts "A\B\C" (one trailing backslash tolerated); every part non-empty, at most 255 units
// and storable in the file.
bool ParseSubKey(const char16_t* subKey, std::u16string* path) {
  std::u16string_view rest = subKey == nullptr ? u"" : subKey;
  if (!rest.empty() && rest.back() == u'\\') rest.remove_suffix(1);
  while (!rest.empty()) {
    std::size_t end = rest.find(u'\\');
    std::u16string_view part = rest.substr(0, end);
    if (part.empty() || part.size() > kMaxKeyNameLength || !IsStorableRegName(part)) return false;
    *path += u'\\';
    *path += part;
    rest = end == std::u16string_view::npos ? u"" : rest.substr(end + 1);
  }
  return true;
}

RegKeyValue* FindValue(std::vector<RegKeyValue>& values, std::u16string_view name) {
  for (RegKeyValue& value : values) {
    if (RegNamesEqual(value.name, name)) return &value;
  }
  return nullptr;
}

}  // namespace

LONG RegCreateKeyExW(HKEY hKey, const char16_t* subKey, DWORD reserved, char16_t* /*cls*/,
                     DWORD /*options*/, DWORD /*samDesired*/, void* /*security*/, HKEY* result,
                     DWORD* disposition) {
  std::u16string path;
  std::string folder;
  if (const char16_t* root = RootName(hKey)) {
    path = root;
    folder = RegistryFolder();
  } else if (IsOpen(hKey)) {
    path = hKey->path;
    folder = hKey->folder;
  } else {
    return Failed(ERROR_INVALID_HANDLE, u"", u"The handle is invalid");
  }
  if (result == nullptr || reserved != 0) return FailedParameter(folder);
  if (!ParseSubKey(subKey, &path)) {
    return Failed(ERROR_BAD_PATHNAME, u"", u"The key path is malformed");
  }
  if (folder.empty()) {
    return Failed(ERROR_REGISTRY_IO_FAILED, u"",
                  u"No home folder is known (neither XDG_CONFIG_HOME nor HOME is set)");
  }
  RegTextParse parse;
  StoreFailure failure;
  if (!LoadRegistryDocument(folder, &parse, &failure)) return FailedStore(failure);

  auto key = std::make_unique<RegistryKey>();
  key->path = std::move(path);
  key->folder = std::move(folder);
  key->created = !RegKeyExists(parse.document, key->path);
  key->values = ResolveRegKey(parse.document, key->path);
  if (disposition != nullptr) {
    *disposition = key->created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  }
  std::lock_guard<std::mutex> guard(OpenKeysMutex());
  *result = key.get();
  OpenKeys().insert(key.release());
  return ERROR_SUCCESS;
}

LONG RegQueryValueExW(HKEY hKey, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
  if (!IsOpen(hKey)) return ERROR_INVALID_HANDLE;
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  const RegKeyValue* value = FindValue(hKey->values, name == nullptr ? u"" : name);
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  const auto needed = static_cast<DWORD>(value->data.size());
  if (type != nullptr) *type = value->type;
  if (data != nullptr && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data != nullptr && needed > 0) std::memcpy(data, value->data.data(), needed);
  if (size != nullptr) *size = needed;
  return ERROR_SUCCESS;
}

LONG RegSetValueExW(HKEY hKey, const char16_t* name, DWORD reserved, DWORD type,
                    const BYTE* data, DWORD size) {
  if (!IsOpen(hKey)) return Failed(ERROR_INVALID_HANDLE, u"", u"The handle is invalid");
  std::u16string_view valueName = name == nullptr ? u"" : name;
  bool fixedSize = type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN || type == REG_QWORD;
  DWORD fixed = type == REG_QWORD ? 8 : 4;
  if (reserved != 0 || (data == nullptr && size != 0) || (fixedSize && size != fixed) ||
      valueName.size() > kMaxValueNameLength || !IsStorableRegName(valueName)) {
    return FailedParameter(hKey->folder);
  }
  RegKeyValue value{std::u16string(valueName), type,
                    data == nullptr ? std::vector<BYTE>() : std::vector<BYTE>(data, data + size)};
  if (RegKeyValue* existing = FindValue(hKey->values, valueName)) {
    existing->type = value.type;
    existing->data = value.data;
  } else {
    hKey->values.push_back(value);
  }
  hKey->changes.push_back(std::move(value));
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey) {
  if (RootName(hKey) != nullptr) return ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> guard(OpenKeysMutex());
    if (OpenKeys().erase(hKey) == 0) {
      return Failed(ERROR_INVALID_HANDLE, u"", u"The handle is invalid");
    }
  }
  std::unique_ptr<RegistryKey> key(hKey);
  lastMovedAside.clear();
  if (!key->created && key->changes.empty()) return ERROR_SUCCESS;
  StoreFailure failure;
  RegistryEdit edit{[&key](RegTextDocument& document) {
                      EnsureRegKey(document, key->path);
                      for (const RegKeyValue& change : key->changes) {
                        SetRegValue(document, key->path, change);
                      }
                    },
                    !key->changes.empty()};
  std::string movedAside;
  if (!UpdateRegistryDocument(key->folder, edit, &failure, &movedAside)) {
    return FailedStore(failure);
  }
  if (!movedAside.empty()) lastMovedAside = Widen(movedAside);
  return ERROR_SUCCESS;
}

RegistryFailure GetRegistryFailure() { return lastFailure; }

std::u16string GetRegistryMovedAside() { return lastMovedAside; }

std::u16string RegistryFilePath() {
  std::string folder = RegistryFolder();
  return folder.empty() ? std::u16string() : Widen(RegistryFileIn(folder));
}

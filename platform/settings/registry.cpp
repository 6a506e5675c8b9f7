// The registry calls over the text file. A key handle holds the key's values as read at open
// plus the changes made through it; the file is touched only when a key is opened (read) and
// when a changed or newly created key is closed (one locked read-modify-write).
#include "platform/settings/registry.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/settings/registry_store.h"
#include "platform/settings/registry_text.h"

struct RegistryKey {
  std::u16string path;               // root name first
  std::string folder;                // where its file was when it was opened
  bool created = false;              // absent at open: the close writes it
  std::vector<RegKeyValue> values;   // as read, with the changes below applied
  std::vector<RegKeyValue> changes;  // in the order they were made
};

namespace {

constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr const char16_t* kNoHome =
    u"No home folder is known (neither XDG_CONFIG_HOME nor HOME is set)";

thread_local RegistryFailure g_last_failure;
thread_local KeptAside g_last_kept_aside;

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

LONG Failed(LONG code, std::u16string file, std::u16string reason, std::string path = {}) {
  g_last_failure = RegistryFailure{code, std::move(file), std::move(reason), std::move(path)};
  return code;
}

LONG FailedParameter(const std::string& folder) {
  return Failed(ERROR_INVALID_PARAMETER, folder.empty() ? u"" : Widen(RegistryFileIn(folder)),
                u"The parameter is incorrect", folder.empty() ? "" : RegistryFileIn(folder));
}

LONG FailedStore(const StoreFailure& failure) {
  LONG code = ERROR_REGISTRY_IO_FAILED;
  if (failure.error == ENOSPC || failure.error == EDQUOT) code = ERROR_DISK_FULL;
  if (failure.error == EACCES || failure.error == EPERM || failure.error == EROFS) {
    code = ERROR_ACCESS_DENIED;
  }
  return Failed(code, Widen(failure.path), Widen(failure.reason), failure.path);
}

// Accepts "A\B\C" (one trailing backslash tolerated); every part non-empty, at most 255 units
// and storable in the file.
bool ParseSubKey(const char16_t* sub_key, std::u16string* path) {
  std::u16string_view rest = sub_key == nullptr ? u"" : sub_key;
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

namespace {

// Opens sub_key below parent; a key that is absent is created when `create` is set (it reaches
// the file at the close) and is ERROR_FILE_NOT_FOUND otherwise. `flags_ok` is false when the
// caller was given a reserved or option word it does not take.
LONG OpenKey(HKEY parent, const char16_t* sub_key, bool flags_ok, bool create, HKEY* result,
             DWORD* disposition) {
  std::u16string path;
  std::string folder;
  if (const char16_t* root = RootName(parent)) {
    path = root;
    folder = RegistryFolder();
  } else if (IsOpen(parent)) {
    path = parent->path;
    folder = parent->folder;
  } else {
    return Failed(ERROR_INVALID_HANDLE, u"", u"The handle is invalid");
  }
  if (result == nullptr || !flags_ok) return FailedParameter(folder);
  if (!ParseSubKey(sub_key, &path)) {
    return Failed(ERROR_BAD_PATHNAME, u"", u"The key path is malformed");
  }
  if (folder.empty()) {
    return Failed(ERROR_REGISTRY_IO_FAILED, u"", kNoHome);
  }
  RegTextParse parse;
  StoreFailure failure;
  if (!LoadRegistryDocument(folder, &parse, &failure)) return FailedStore(failure);

  const bool exists = RegKeyExists(parse.document, path);
  if (!exists && !create) {
    return Failed(ERROR_FILE_NOT_FOUND, Widen(RegistryFileIn(folder)), u"The key does not exist",
                  RegistryFileIn(folder));
  }
  auto key = std::make_unique<RegistryKey>();
  key->path = std::move(path);
  key->folder = std::move(folder);
  key->created = !exists;
  key->values = ResolveRegKey(parse.document, key->path);
  if (disposition != nullptr) {
    *disposition = key->created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  }
  std::lock_guard<std::mutex> guard(OpenKeysMutex());
  *result = key.get();
  OpenKeys().insert(key.release());
  return ERROR_SUCCESS;
}

}  // namespace

LONG RegCreateKeyExW(HKEY parent, const char16_t* sub_key, DWORD reserved, char16_t* /*cls*/,
                     DWORD /*options*/, DWORD /*access*/, void* /*security*/, HKEY* result,
                     DWORD* disposition) {
  return OpenKey(parent, sub_key, reserved == 0, true, result, disposition);
}

LONG RegOpenKeyExW(HKEY parent, const char16_t* sub_key, DWORD options, DWORD /*access*/,
                   HKEY* result) {
  return OpenKey(parent, sub_key, options == 0, false, result, nullptr);
}

LONG RegQueryValueExW(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size) {
  if (!IsOpen(key)) return ERROR_INVALID_HANDLE;
  if (reserved != nullptr || (data != nullptr && size == nullptr)) return ERROR_INVALID_PARAMETER;
  const RegKeyValue* value = FindValue(key->values, name == nullptr ? u"" : name);
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

LONG RegSetValueExW(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size) {
  if (!IsOpen(key)) return Failed(ERROR_INVALID_HANDLE, u"", u"The handle is invalid");
  std::u16string_view value_name = name == nullptr ? u"" : name;
  bool fixed_size = type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN || type == REG_QWORD;
  DWORD fixed = type == REG_QWORD ? 8 : 4;
  if (reserved != 0 || (data == nullptr && size != 0) || (fixed_size && size != fixed) ||
      value_name.size() > kMaxValueNameLength || !IsStorableRegName(value_name)) {
    return FailedParameter(key->folder);
  }
  RegKeyValue value{std::u16string(value_name), type,
                    data == nullptr ? std::vector<BYTE>() : std::vector<BYTE>(data, data + size)};
  if (RegKeyValue* existing = FindValue(key->values, value_name)) {
    existing->type = value.type;
    existing->data = value.data;
  } else {
    key->values.push_back(value);
  }
  key->changes.push_back(std::move(value));
  return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
  if (RootName(key) != nullptr) return ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> guard(OpenKeysMutex());
    if (OpenKeys().erase(key) == 0) {
      return Failed(ERROR_INVALID_HANDLE, u"", u"The handle is invalid");
    }
  }
  std::unique_ptr<RegistryKey> owned(key);
  g_last_kept_aside = KeptAside{};
  if (!owned->created && owned->changes.empty()) return ERROR_SUCCESS;
  StoreFailure failure;
  RegistryEdit edit{[&owned](RegTextDocument& document) {
                      EnsureRegKey(document, owned->path);
                      for (const RegKeyValue& change : owned->changes) {
                        SetRegValue(document, owned->path, change);
                      }
                    },
                    !owned->changes.empty()};
  const bool saved = UpdateRegistryDocument(owned->folder, edit, &failure, &g_last_kept_aside);
  return saved ? ERROR_SUCCESS : FailedStore(failure);
}

RegistryFailure GetRegistryFailure() { return g_last_failure; }

std::u16string GetRegistryMovedAside() { return Widen(g_last_kept_aside.moved); }

RegistryKeptAside GetRegistryKeptAside() {
  return RegistryKeptAside{g_last_kept_aside.moved, g_last_kept_aside.copied};
}

std::string RegistryFileSystemPath() {
  std::string folder = RegistryFolder();
  return folder.empty() ? std::string() : RegistryFileIn(folder);
}

RegistryWriteLock::~RegistryWriteLock() { ReleaseWriteLock(fd_); }

LONG RegistryWriteLock::Take() {
  if (fd_ >= 0) return ERROR_SUCCESS;
  const std::string folder = RegistryFolder();
  if (folder.empty()) {
    return Failed(ERROR_REGISTRY_IO_FAILED, u"", kNoHome);
  }
  StoreFailure failure;
  fd_ = HoldWriteLock(folder, &failure);
  return fd_ >= 0 ? ERROR_SUCCESS : FailedStore(failure);
}

std::u16string RegistryFilePath() {
  std::string folder = RegistryFolder();
  return folder.empty() ? std::u16string() : Widen(RegistryFileIn(folder));
}

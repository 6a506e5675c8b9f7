// The registry: keys holding named, typed values, kept in one text file per user,
//   ${XDG_CONFIG_HOME:-$HOME/.config}/cyclune/registry.reg
// in the registry export format ("Windows Registry Editor Version 5.00"), so it can be read,
// edited by hand and imported by the platform's own registry editor.
//
// Calls, names, numbers and error codes are the platform's. Key and value names compare
// without regard to case. A key handle reads the file once, when it is opened; values set
// through it are visible to its own queries at once and reach the file together, in one
// atomic and durable replacement, when the key is closed. That replacement holds a lock
// across reading the file again, applying this handle's changes and writing, so values that
// other handles or processes stored meanwhile are kept; a lock that another holds for more
// than a few seconds fails the close, naming the holder (RegistryWriteLock holds it longer).
// Everything else in the file (other keys, values of any type, comments, order) is written
// back as it was. A file that could not be read cleanly is first copied aside as
// registry.reg.unreadable-YYYYmmdd-HHMMSS; one too large to read in full (over 8 MiB) is moved
// there whole when a value is set, and a new file is started. Opening a key that is not in the
// file creates it in the file at the close, except in a file that could not be read in full,
// which only setting a value replaces.
//
// Example:
//   HKEY key;
//   DWORD disposition;
//   if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"Software\\Tamberlock\\Cyclune", 0, nullptr, 0, 0,
//                       nullptr, &key, &disposition) == ERROR_SUCCESS) {
//     DWORD days = 28;
//     RegSetValueExW(key, u"CycleLength", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&days), 4);
//     if (RegCloseKey(key) != ERROR_SUCCESS) {
//       RegistryFailure why = GetRegistryFailure();  // why.file, why.reason
//     }
//   }
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/ui/win_types.h"

struct RegistryKey;
using HKEY = RegistryKey*;

// The predefined roots. Only their names matter: they head the key paths in the file.
inline HKEY const HKEY_CLASSES_ROOT = reinterpret_cast<HKEY>(std::uintptr_t{0x80000000});
inline HKEY const HKEY_CURRENT_USER = reinterpret_cast<HKEY>(std::uintptr_t{0x80000001});
inline HKEY const HKEY_LOCAL_MACHINE = reinterpret_cast<HKEY>(std::uintptr_t{0x80000002});
inline HKEY const HKEY_USERS = reinterpret_cast<HKEY>(std::uintptr_t{0x80000003});
inline HKEY const HKEY_CURRENT_CONFIG = reinterpret_cast<HKEY>(std::uintptr_t{0x80000005});

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;  // four bytes, little-endian
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;  // eight bytes, little-endian

// Dispositions reported by RegCreateKeyExW.
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Error codes (LONG results).
constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;  // no such value
constexpr LONG ERROR_ACCESS_DENIED = 5;   // the file or its folder may not be read or written
constexpr LONG ERROR_INVALID_HANDLE = 6;  // not an open key
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_DISK_FULL = 112;            // no space (or quota) left for the file
constexpr LONG ERROR_BAD_PATHNAME = 161;         // malformed key path
constexpr LONG ERROR_MORE_DATA = 234;            // the caller's buffer is too small
constexpr LONG ERROR_REGISTRY_IO_FAILED = 1016;  // any other failure to read or write the file

// Opens the key sub_key below parent (a predefined root or an open key), creating it when absent;
// the creation reaches the file when the key is closed. reserved must be 0; cls, options,
// access and security are accepted and ignored. On success *result holds the new handle
// and *disposition (if given) says whether the key was created or existed; on failure *result
// is untouched and GetRegistryFailure() says why.
LONG RegCreateKeyExW(HKEY parent, const char16_t* sub_key, DWORD reserved, char16_t* cls,
                     DWORD options, DWORD access, void* security, HKEY* result, DWORD* disposition);

// Opens the existing key sub_key below parent, as RegCreateKeyExW does, but never creates it:
// ERROR_FILE_NOT_FOUND when the key (or the whole file) is absent, and nothing is written on
// its close unless values are set through it. options must be 0; access is ignored.
LONG RegOpenKeyExW(HKEY parent, const char16_t* sub_key, DWORD options, DWORD access, HKEY* result);

// Reads the value `name` (nullptr or u"" for the key's default value). With data == nullptr,
// reports the type and size only. ERROR_FILE_NOT_FOUND when there is no such value (nothing
// written); ERROR_MORE_DATA when it does not fit *size bytes: data is untouched, *size
// receives the size needed and *type the type. reserved must be nullptr.
LONG RegQueryValueExW(HKEY key, const char16_t* name, DWORD* reserved, DWORD* type, BYTE* data,
                      DWORD* size);

// Sets the value `name` (nullptr or u"" for the default value) to `size` bytes of `type`,
// kept generic except that REG_DWORD and REG_DWORD_BIG_ENDIAN take exactly 4 bytes and
// REG_QWORD exactly 8. The file changes when the key is closed. Names with control
// characters (other than tab) or unpaired surrogates cannot be stored: ERROR_INVALID_PARAMETER.
LONG RegSetValueExW(HKEY key, const char16_t* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD size);

// Closes the key. When it was created or values were set through it, writes them to the
// file first: ERROR_SUCCESS once they are durably on disk; otherwise an error code (the file
// keeps its previous contents) and GetRegistryFailure() says why. The handle is gone either way.
LONG RegCloseKey(HKEY key);

// Why a registry call of this thread last failed: the code it returned, the file or folder
// concerned and the system's reason ("No space left on device"). Empty before any failure.
// `path` is `file` as the system names it, byte for byte, for a name that is not UTF-8.
struct RegistryFailure {
  LONG code = ERROR_SUCCESS;
  std::u16string file;
  std::u16string reason;
  std::string path;
};
RegistryFailure GetRegistryFailure();

// Where the last successful RegCloseKey of this thread moved a file too large to read in full
// before it started a new one; empty when it moved nothing.
std::u16string GetRegistryMovedAside();

// The files in which the last RegCloseKey of this thread kept the file it replaced, as the
// system names them: `moved`, a file too large to read in full, under a second name (as
// GetRegistryMovedAside); `copied`, a copy of a file that could not be read cleanly. Empty
// when it kept nothing.
struct RegistryKeptAside {
  std::string moved;
  std::string copied;
};
RegistryKeptAside GetRegistryKeptAside();

// The file the registry lives in for the current environment (XDG_CONFIG_HOME, HOME);
// empty when neither names a home folder.
std::u16string RegistryFilePath();

// The same file as the system names it, byte for byte, for a name that is not UTF-8.
std::string RegistryFileSystemPath();

// Files larger than this are read only this far, count as unclean and are never rewritten from
// the part read. A settings file is a few hundred bytes; this bounds time and memory.
constexpr std::size_t kMaxRegistryFileBytes = std::size_t{8} << 20;

// The lock that keeps writers of the registry file apart, held by this process for as long as
// the object lives: a read of the file, the values worked out from it and their save are then
// one step to every other writer, process or handle. The keys closed meanwhile write under it.
//
// Example:
//   RegistryWriteLock lock;
//   if (lock.Take() != ERROR_SUCCESS) ... GetRegistryFailure(): the lock file, who holds it
//   ... open the key, read, set, close ...
class RegistryWriteLock {
 public:
  RegistryWriteLock() = default;
  ~RegistryWriteLock();
  RegistryWriteLock(const RegistryWriteLock&) = delete;
  RegistryWriteLock& operator=(const RegistryWriteLock&) = delete;

  // Takes the lock of the current environment's file, making its folder as a save would. A
  // lock that another holds is waited for a few seconds at most, as every save waits for it;
  // then the result is an error code, and GetRegistryFailure() names the lock file and the
  // process that holds it where it can be known.
  LONG Take();

 private:
  int fd_ = -1;
};

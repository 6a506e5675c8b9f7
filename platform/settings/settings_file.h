// The settings file as values: one key of ${XDG_CONFIG_HOME:-$HOME/.config}/cyclune/registry.reg
// read in one go, and saved in one locked read-modify-write, with what happened as the result.
//
// A read takes the file once, without the lock (a save replaces it atomically, so a reader
// sees one whole version) and creates nothing. A save takes the writers' lock, reads and
// parses the file once, sets the values in the key (creating it), and replaces the file
// atomically and durably; everything else in it (other keys, values of any type, comments,
// order) is written back as it was. A file that did not parse cleanly is first copied aside
// (registry.reg.unreadable-YYYYmmdd-HHMMSS); one over the read limit is moved there whole and
// a new file started; creating a key alone never replaces a file not read in full.
//
// Example:
//   const SettingsKeyRead read = ReadSettingsKey(kKey);
//   if (read.status.ok && read.found) std::optional<std::uint32_t> days =
//   read.Dword(u"CycleLength"); const SettingsFileSave saved = SaveSettingsDwords(kKey,
//   {{u"CycleLength", 28}}); if (!saved.status.ok) ... saved.status.file, saved.status.reason
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Files larger than this are read only this far, count as unclean and are never rewritten from
// the part read. A settings file is a few hundred bytes; this bounds time and memory.
constexpr std::size_t kMaxRegistryFileBytes = std::size_t{8} << 20;

// How a read, a save or taking the lock went. On failure `file` is the file or folder
// concerned ("" when no home folder is known), `path` the same as the system names it, byte
// for byte, and `reason` the system's words ("No space left on device").
struct SettingsFileStatus {
  bool ok = true;
  std::u16string file;
  std::string path;
  std::u16string reason;
};

// One key as the file holds it.
struct SettingsKeyRead {
  SettingsFileStatus status;
  bool found = false;  // the key is in the file
  // The key's values that are REG_DWORDs of exactly four bytes, as numbers; a string "28" or
  // four bytes of hex is not taken for one.
  std::vector<std::pair<std::u16string, std::uint32_t>> dwords;

  // The dword `name` (names compare without regard to case); nullopt when there is none.
  std::optional<std::uint32_t> Dword(std::u16string_view name) const;
};

// How a save went, and where it kept the file it replaced (as the system names them):
// `moved`, a file too large to read in full, under a second name; `copied`, a copy of a file
// that did not parse cleanly (kept even when the save then failed). Empty when none.
struct SettingsFileSave {
  SettingsFileStatus status;
  std::string moved;
  std::string copied;
};

// The settings file of the current environment (XDG_CONFIG_HOME, HOME) as the system names
// it; empty when neither names a home folder.
std::string SettingsFilePath();

// SettingsFilePath as text.
std::u16string SettingsFileName();

// Reads key `key` (its full path, root first: u"HKEY_LOCAL_MACHINE\\Software\\...").
SettingsKeyRead ReadSettingsKey(std::u16string_view key);

// Adds key `key`, empty, to the file when it is not there.
SettingsFileSave CreateSettingsKey(std::u16string_view key);

// Sets each (name, value) of `dwords` in key `key` as a REG_DWORD, creating the key.
SettingsFileSave SaveSettingsDwords(
    std::u16string_view key, const std::vector<std::pair<std::u16string, std::uint32_t>>& dwords);

// The lock that keeps writers of the settings file apart, held by this process for as long as
// the object lives: a read of the file, the values worked out from it and their save are then
// one step to every other writer. The saves of this process meanwhile go on under it.
class SettingsWriteLock {
 public:
  SettingsWriteLock() = default;
  ~SettingsWriteLock();
  SettingsWriteLock(const SettingsWriteLock&) = delete;
  SettingsWriteLock& operator=(const SettingsWriteLock&) = delete;

  // Takes the lock, making the folder as a save would. A lock that another holds is waited for
  // a few seconds at most; then the status names the lock file and, where it can be known,
  // the process that holds it.
  SettingsFileStatus Take();

 private:
  int fd_ = -1;
};

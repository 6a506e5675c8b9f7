// File steps beneath the registry store, each relative to an open folder descriptor: reading
// with a size limit, writing a new version beside a file and renaming it over, keeping an
// original aside, and the lock. Internal to the store (platform/settings/registry_store.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "platform/settings/registry_store.h"

// An owned file descriptor, closed when it goes.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd();
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now, so that an error of the close itself (delayed write failures) is seen.
  bool Close();
  // Gives the descriptor up to the caller, who closes it.
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// Where a version of the file is written: a folder (open) and the file's name in it. For a
// registry.reg that is a symbolic link, the folder and name of the file it leads to.
struct FileSpot {
  int dir = -1;
  std::string folder;  // the folder's path, for messages
  std::string name;
  std::string Path() const { return folder + "/" + name; }
};

// Set *failure from errno-style `error` (the system's words) or from our own words; false.
bool Fail(StoreFailure* failure, std::string path, int error);
bool FailWith(StoreFailure* failure, std::string path, std::string reason);

// The system's words for `error`, e.g. "No such file or directory".
std::string ErrorText(int error);

// Reads from the current offset to the end, at most `limit` bytes; *cut tells whether more
// was there. False with errno set when a read fails.
bool ReadAtMost(int fd, std::size_t limit, std::string* out, bool* cut);

// Opens the file for reading; never blocks on a FIFO or device left in its place, and refuses
// anything but a regular file. An invalid Fd with *absent set when there is no file.
Fd OpenExisting(const FileSpot& spot, bool* absent, StoreFailure* failure);

// Opens (creating it 0600 whatever the umask) and takes the lock file `name` in `dir`, waiting
// kRegistryLockWait at most; then *failure names the process that holds it, when it can be
// known. A lock that this process holds across a whole change (HoldLockAcrossUpdates) is not
// waited for: the descriptor returned then leaves it to its holder.
Fd TakeLock(int dir, const std::string& folder, const char* name, StoreFailure* failure);

// Marks the lock that `fd` holds as held by this process until EndHeldLock, so that TakeLock
// on the same file goes on without waiting for it.
void HoldLockAcrossUpdates(int fd);
void EndHeldLock();

// Copies all of `original` to a new NAME.unreadable-YYYYmmdd-HHMMSS beside it (0600); *copy
// receives the copy's path.
bool CopyAside(const FileSpot& spot, int original, std::string* copy, StoreFailure* failure);

// Gives the file a second name NAME.unreadable-YYYYmmdd-HHMMSS beside it, which keeps every
// byte without copying one; *aside receives the new name.
bool LinkAside(const FileSpot& spot, std::string* aside, StoreFailure* failure);

// Writes `text` to NAME.tmp (0600), flushes it, renames it over NAME and flushes the folder.
// On failure NAME keeps its old contents and no temporary file is left.
bool WriteReplacing(const FileSpot& spot, const std::string& text, StoreFailure* failure);

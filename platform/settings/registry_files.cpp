// File steps of the registry store. Every step names files relative to an open folder and
// never follows a link at a name it creates, so a name swapped midway cannot redirect a write.
#include "platform/settings/registry_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

constexpr mode_t kPrivateFile = 0600;
constexpr int kNewFileFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
constexpr auto kLockPoll = std::chrono::milliseconds(20);

// The lock file that this process holds across a whole change, by its identity.
struct HeldLock {
  bool held = false;
  dev_t device = 0;
  ino_t inode = 0;
};
HeldLock g_held_lock;

bool HeldHere(int fd) {
  struct stat st {};
  return g_held_lock.held && ::fstat(fd, &st) == 0 && st.st_dev == g_held_lock.device &&
         st.st_ino == g_held_lock.inode;
}

// The process that holds an flock on the file `fd` is open on, as /proc/locks tells it
// ("1: FLOCK  ADVISORY  WRITE 4242 fe:00:131090 0 EOF"; "->" lines are waiters); 0 when it
// cannot be known.
long LockHolder(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return 0;
  std::FILE* locks = std::fopen("/proc/locks", "re");
  if (locks == nullptr) return 0;
  long holder = 0;
  char line[256];
  while (holder == 0 && std::fgets(line, sizeof line, locks) != nullptr) {
    char kind[16] = "";
    long pid = 0;
    unsigned major_number = 0, minor_number = 0;
    unsigned long inode = 0;
    if (std::strstr(line, "->") == nullptr &&
        std::sscanf(line, "%*d: %15s %*s %*s %ld %x:%x:%lu", kind, &pid, &major_number,
                    &minor_number, &inode) == 5 &&
        std::strcmp(kind, "FLOCK") == 0 && major_number == major(st.st_dev) &&
        minor_number == minor(st.st_dev) && inode == st.st_ino) {
      holder = pid;
    }
  }
  std::fclose(locks);
  return holder;
}

// Takes the lock, polling, until kRegistryLockWait has passed: a writer that hangs (or a
// process that merely holds the file) must not freeze every save behind it.
bool WaitForLock(int fd, const std::string& path, StoreFailure* failure) {
  const auto deadline = std::chrono::steady_clock::now() + kRegistryLockWait;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno == EINTR) continue;
    if (errno != EWOULDBLOCK) return Fail(failure, path, errno);
    if (std::chrono::steady_clock::now() >= deadline) break;
    std::this_thread::sleep_for(kLockPoll);
  }
  const long holder = LockHolder(fd);
  const std::string who =
      holder > 0 ? "another process (pid " + std::to_string(holder) + ")" : "another process";
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(kRegistryLockWait);
  *failure = StoreFailure{
      EWOULDBLOCK, path,
      who + " has held it for more than " + std::to_string(seconds.count()) + " seconds"};
  return false;
}

// strerror_r comes in a GNU and a POSIX flavour; these pick the text from either.
[[maybe_unused]] const char* ReasonText(int result, const char* buffer) {
  return result == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* ReasonText(const char* result, const char*) { return result; }

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFolder(int folder, const std::string& path, StoreFailure* failure) {
  return ::fsync(folder) == 0 || Fail(failure, path, errno);
}

// NAME.unreadable-YYYYmmdd-HHMMSS in local time, "-2" and on for a second one that second.
std::string AsideName(const std::string& name, int attempt) {
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string aside = name + ".unreadable-" + stamp;
  if (attempt > 1) aside.append("-").append(std::to_string(attempt));
  return aside;
}

// The file's mode as the umask would not leave it: a lock or copy 0400 would fail later.
bool MakePrivate(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return false;
  return (st.st_mode & 07777) == kPrivateFile || ::fchmod(fd, kPrivateFile) == 0;
}

// A plain file at the temporary name is what a writer killed midway leaves; since we hold the
// lock, no live writer owns it. Anything else (a link, a folder) is not ours to remove, and the
// exclusive create then fails rather than follow it.
bool RemoveLeftover(const FileSpot& spot, const std::string& temp, StoreFailure* failure) {
  struct stat st {};
  if (::fstatat(spot.dir, temp.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
    return true;
  }
  return ::unlinkat(spot.dir, temp.c_str(), 0) == 0 || errno == ENOENT ||
         Fail(failure, spot.folder + "/" + temp, errno);
}

}  // namespace

Fd::~Fd() {
  if (fd_ >= 0) ::close(fd_);
}

bool Fd::Close() {
  int fd = std::exchange(fd_, -1);
  return ::close(fd) == 0;
}

std::string ErrorText(int error) {
  char buffer[256] = "";
  return ReasonText(strerror_r(error, buffer, sizeof buffer), buffer);
}

bool Fail(StoreFailure* failure, std::string path, int error) {
  *failure = StoreFailure{error, std::move(path), ErrorText(error)};
  return false;
}

bool FailWith(StoreFailure* failure, std::string path, std::string reason) {
  *failure = StoreFailure{0, std::move(path), std::move(reason)};
  return false;
}

bool ReadAtMost(int fd, std::size_t limit, std::string* out, bool* cut) {
  out->clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    std::size_t room = limit - out->size();
    std::size_t got = static_cast<std::size_t>(n);
    out->append(buffer, got < room ? got : room);
    if (got > room) {
      *cut = true;
      return true;
    }
  }
  *cut = false;
  return true;
}

Fd OpenExisting(const FileSpot& spot, bool* absent, StoreFailure* failure) {
  *absent = false;
  Fd fd(::openat(spot.dir, spot.name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.ok()) {
    if (errno == ENOENT)
      *absent = true;
    else
      Fail(failure, spot.Path(), errno);
    return fd;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    Fail(failure, spot.Path(), errno);
    return Fd();
  }
  if (!S_ISREG(st.st_mode)) {
    FailWith(failure, spot.Path(), "it is not a regular file");
    return Fd();
  }
  return fd;
}

Fd TakeLock(int dir, const std::string& folder, const char* name, StoreFailure* failure) {
  const std::string path = folder + "/" + name;
  constexpr int kFlags = O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC;
  Fd lock(::openat(dir, name, kFlags, kPrivateFile));
  if (!lock.ok() && errno == EACCES) {
    // Left without its owner's write bit by an earlier umask: given it back, then opened.
    Fd readable(::openat(dir, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    // O_CREAT needs the mode: the file may have gone in between.
    if (readable.ok() && MakePrivate(readable.get())) {
      lock = Fd(::openat(dir, name, kFlags, kPrivateFile));
    }
  }
  if (!lock.ok() || !MakePrivate(lock.get())) {
    Fail(failure, path, errno);
    return Fd();
  }
  if (!HeldHere(lock.get()) && !WaitForLock(lock.get(), path, failure)) return Fd();
  return lock;
}

void HoldLockAcrossUpdates(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) == 0) g_held_lock = HeldLock{true, st.st_dev, st.st_ino};
}

void EndHeldLock() { g_held_lock = HeldLock{}; }

bool CopyAside(const FileSpot& spot, int original, std::string* copy_path, StoreFailure* failure) {
  std::string name;
  Fd copy;
  for (int attempt = 1; !copy.ok() && attempt <= 100; ++attempt) {
    name = AsideName(spot.name, attempt);
    copy = Fd(::openat(spot.dir, name.c_str(), kNewFileFlags, kPrivateFile));
    if (!copy.ok() && errno != EEXIST) break;
  }
  const std::string path = spot.folder + "/" + name;
  if (!copy.ok()) return Fail(failure, path, errno);
  char buffer[65536];
  int error = MakePrivate(copy.get()) ? 0 : errno;
  for (off_t offset = 0; error == 0;) {
    ssize_t n = ::pread(original, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) error = errno;
    if (n <= 0) break;
    if (!WriteAll(copy.get(), buffer, static_cast<std::size_t>(n))) error = errno;
    offset += n;
  }
  if (error == 0 && ::fsync(copy.get()) != 0) error = errno;
  if (!copy.Close() && error == 0) error = errno;
  if (error != 0) {
    ::unlinkat(spot.dir, name.c_str(), 0);
    return Fail(failure, path, error);
  }
  *copy_path = path;
  return SyncFolder(spot.dir, spot.folder, failure);
}

bool LinkAside(const FileSpot& spot, std::string* aside, StoreFailure* failure) {
  int error = EEXIST;
  for (int attempt = 1; error == EEXIST && attempt <= 100; ++attempt) {
    *aside = AsideName(spot.name, attempt);
    error = ::linkat(spot.dir, spot.name.c_str(), spot.dir, aside->c_str(), 0) == 0 ? 0 : errno;
  }
  if (error == 0) return true;
  *failure = StoreFailure{
      error, spot.Path(),
      "it is larger than 8 MiB and could not be moved aside (" + ErrorText(error) + ")"};
  return false;
}

bool WriteReplacing(const FileSpot& spot, const std::string& text, StoreFailure* failure) {
  const std::string temp = spot.name + ".tmp";
  const std::string temp_path = spot.folder + "/" + temp;
  if (!RemoveLeftover(spot, temp, failure)) return false;
  Fd file(::openat(spot.dir, temp.c_str(), kNewFileFlags, kPrivateFile));
  if (!file.ok()) return Fail(failure, temp_path, errno);
  std::string failed_path = temp_path;
  int error = 0;
  if (!MakePrivate(file.get()) || !WriteAll(file.get(), text.data(), text.size()) ||
      ::fsync(file.get()) != 0) {
    error = errno;
  }
  if (!file.Close() && error == 0) error = errno;
  if (error == 0 && ::renameat(spot.dir, temp.c_str(), spot.dir, spot.name.c_str()) != 0) {
    error = errno;
    failed_path = spot.Path();
  }
  if (error != 0) {
    ::unlinkat(spot.dir, temp.c_str(), 0);
    return Fail(failure, failed_path, error);
  }
  return SyncFolder(spot.dir, spot.folder, failure);
}

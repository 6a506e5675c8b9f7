// Reading and atomically replacing the registry file. Every step works relative to an open
// descriptor of the folder, so a folder renamed or replaced midway cannot redirect a write.
#include "platform/registry_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

namespace {

constexpr char kFileName[] = "registry.reg";
constexpr char kLockName[] = "registry.reg.lock";
constexpr char kTempName[] = "registry.reg.tmp";
constexpr char kBackupPrefix[] = "registry.reg.unreadable-";

// strerror_r comes in a GNU and a POSIX flavour; these pick the text from either.
[[maybe_unused]] const char* ReasonText(int result, const char* buffer) {
  return result == 0 ? buffer : "Unknown error";
}
[[maybe_unused]] const char* ReasonText(const char* result, const char*) { return result; }

bool Fail(StoreFailure* failure, std::string path, int error) {
  char buffer[256] = "";
  *failure = StoreFailure{error, std::move(path), ReasonText(strerror_r(error, buffer, sizeof buffer), buffer)};
  return false;
}

bool FailWith(StoreFailure* failure, std::string path, std::string reason) {
  *failure = StoreFailure{0, std::move(path), std::move(reason)};
  return false;
}

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }
  // Closes now, so that an error of the close itself (delayed write failures) is seen.
  bool Close() {
    int fd = std::exchange(fd_, -1);
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

std::string Join(const std::string& folder, const char* name) { return folder + "/" + name; }

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

// Reads from the current offset to the end, at most kMaxRegistryFileBytes; *cut tells whether
// more was there.
bool ReadAll(int fd, std::string* out, bool* cut) {
  out->clear();
  char buffer[65536];
  for (;;) {
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    std::size_t room = kMaxRegistryFileBytes - out->size();
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

// Opens the registry file for reading; never blocks on a FIFO or device left in its place.
// Returns an invalid Fd with *absent set when there is no file.
Fd OpenExisting(int folder, const std::string& path, bool* absent, StoreFailure* failure) {
  *absent = false;
  Fd fd(::openat(folder, kFileName, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (!fd.ok()) {
    if (errno == ENOENT) *absent = true;
    else Fail(failure, path, errno);
    return fd;
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) {
    Fail(failure, path, errno);
    return Fd();
  }
  if (!S_ISREG(st.st_mode)) {
    FailWith(failure, path, "it is not a regular file");
    return Fd();
  }
  return fd;
}

bool ReadAndParse(int fd, const std::string& path, RegTextParse* parse, StoreFailure* failure) {
  std::string bytes;
  bool cut = false;
  if (!ReadAll(fd, &bytes, &cut)) return Fail(failure, path, errno);
  *parse = ParseRegText(bytes);
  if (cut && parse->clean) {
    parse->clean = false;
    parse->problem = "the file is larger than " + std::to_string(kMaxRegistryFileBytes) + " bytes";
  }
  return true;
}

bool SyncFolder(int folder, const std::string& path, StoreFailure* failure) {
  return ::fsync(folder) == 0 || Fail(failure, path, errno);
}

// Creates the folder and any missing parents, each 0700, and makes each new entry durable.
bool MakeFolder(const std::string& folder, StoreFailure* failure) {
  struct stat st {};
  if (::stat(folder.c_str(), &st) == 0) {
    return S_ISDIR(st.st_mode) || Fail(failure, folder, ENOTDIR);
  }
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) == 0) {
      // The umask may take away the owner's bits; the folder must stay usable and private.
      if (::chmod(part.c_str(), 0700) != 0) return Fail(failure, part, errno);
      std::string parent = part.substr(0, part.rfind('/'));
      Fd up(::open(parent.empty() ? "/" : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
      if (!up.ok() || ::fsync(up.get()) != 0) return Fail(failure, parent, errno);
    } else if (errno != EEXIST) {
      return Fail(failure, part, errno);
    }
    if (slash == std::string::npos) return true;
  }
}

// Copies the whole original (not just the part that was parsed) to a new file beside it.
bool KeepAside(int folder, const std::string& folderPath, int original, StoreFailure* failure) {
  char stamp[32];
  std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  std::string name;
  Fd copy;
  for (int attempt = 1; !copy.ok() && attempt <= 100; ++attempt) {
    name = std::string(kBackupPrefix) + stamp;
    if (attempt > 1) name.append("-").append(std::to_string(attempt));
    copy = Fd(::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!copy.ok() && errno != EEXIST) break;
  }
  const std::string path = Join(folderPath, name.c_str());
  if (!copy.ok()) return Fail(failure, path, errno);
  char buffer[65536];
  int error = ::fchmod(copy.get(), 0600) == 0 ? 0 : errno;
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
    ::unlinkat(folder, name.c_str(), 0);
    return Fail(failure, path, error);
  }
  return SyncFolder(folder, folderPath, failure);
}

// A plain file at the temporary name is what a writer killed midway leaves; since we hold the
// lock, no live writer owns it. Anything else (a link, a folder) is not ours to remove, and the
// exclusive create below then fails rather than follow it.
bool RemoveLeftover(int folder, const std::string& path, StoreFailure* failure) {
  struct stat st {};
  if (::fstatat(folder, kTempName, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) return true;
  return ::unlinkat(folder, kTempName, 0) == 0 || errno == ENOENT || Fail(failure, path, errno);
}

bool WriteReplacing(int folder, const std::string& folderPath, const std::string& text,
                    StoreFailure* failure) {
  const std::string tempPath = Join(folderPath, kTempName);
  if (!RemoveLeftover(folder, tempPath, failure)) return false;
  Fd temp(::openat(folder, kTempName, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!temp.ok()) return Fail(failure, tempPath, errno);
  std::string failedPath = tempPath;
  int error = 0;
  if (::fchmod(temp.get(), 0600) != 0 || !WriteAll(temp.get(), text.data(), text.size()) ||
      ::fsync(temp.get()) != 0) {
    error = errno;
  }
  if (!temp.Close() && error == 0) error = errno;
  if (error == 0 && ::renameat(folder, kTempName, folder, kFileName) != 0) {
    error = errno;
    failedPath = RegistryFileIn(folderPath);
  }
  if (error != 0) {
    ::unlinkat(folder, kTempName, 0);
    return Fail(failure, failedPath, error);
  }
  return SyncFolder(folder, folderPath, failure);
}

}  // namespace

std::string RegistryFolder() {
  // Trailing slashes dropped, so "/" itself becomes "" and every join below adds one slash.
  auto trimmed = [](std::string path) {
    while (!path.empty() && path.back() == '/') path.pop_back();
    return path;
  };
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (config != nullptr && config[0] == '/') return trimmed(config) + "/cyclune";
  if (home != nullptr && home[0] == '/') return trimmed(home) + "/.config/cyclune";
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[4096];
  if (::getpwuid_r(::getuid(), &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr ||
      found->pw_dir == nullptr || found->pw_dir[0] != '/') {
    return {};
  }
  return trimmed(found->pw_dir) + "/.config/cyclune";
}

bool MakeRegistryFolder(const std::string& folder, StoreFailure* failure) {
  return MakeFolder(folder, failure);
}

std::string RegistryFileIn(const std::string& folder) { return Join(folder, kFileName); }

bool LoadRegistryDocument(const std::string& folder, RegTextParse* parse, StoreFailure* failure) {
  *parse = RegTextParse{};
  const std::string path = RegistryFileIn(folder);
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.ok()) return errno == ENOENT || Fail(failure, folder, errno);
  bool absent = false;
  Fd file = OpenExisting(dir.get(), path, &absent, failure);
  if (!file.ok()) return absent;
  return ReadAndParse(file.get(), path, parse, failure);
}

bool UpdateRegistryDocument(const std::string& folder,
                            const std::function<void(RegTextDocument&)>& edit,
                            StoreFailure* failure) {
  if (!MakeFolder(folder, failure)) return false;
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir.ok()) return Fail(failure, folder, errno);
  const std::string lockPath = Join(folder, kLockName);
  Fd lock(::openat(dir.get(), kLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!lock.ok()) return Fail(failure, lockPath, errno);
  while (::flock(lock.get(), LOCK_EX) != 0) {
    if (errno != EINTR) return Fail(failure, lockPath, errno);
  }
  const std::string path = RegistryFileIn(folder);
  bool absent = false;
  Fd original = OpenExisting(dir.get(), path, &absent, failure);
  if (!original.ok() && !absent) return false;
  RegTextParse parse;
  if (original.ok() && !ReadAndParse(original.get(), path, &parse, failure)) return false;
  edit(parse.document);
  const std::string text = SerializeRegText(parse.document);
  if (original.ok() && !parse.clean && !KeepAside(dir.get(), folder, original.get(), failure)) {
    return false;
  }
  return WriteReplacing(dir.get(), folder, text, failure);
}

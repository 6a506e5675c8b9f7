#include "app/import_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>

namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr int kNameAttempts = 100;

std::string Reason(int error) { return std::strerror(error); }

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  // Closes now, so that a late write error shows.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Copies everything from `from` to `to` and flushes it; 0 or the errno.
int CopyContents(int from, int to) {
  char buffer[kChunk];
  for (;;) {
    const ssize_t got = read(from, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    if (got == 0) break;
    if (!WriteAll(to, buffer, static_cast<std::size_t>(got))) return errno;
  }
  return fsync(to) == 0 ? 0 : errno;
}

std::string LocalStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  return stamp;
}

// The name of the n-th attempt at a copy of `base`: base.before-import-STAMP[-n].
std::string CopyName(const std::string& stem, int attempt) {
  return attempt == 1 ? stem : stem + "-" + std::to_string(attempt);
}

// Creates a new file beside `base` named base.before-import-STAMP[-n]; -1 with errno.
int CreateCopyFile(const std::string& base, std::string* name) {
  const std::string stem = base + ".before-import-" + LocalStamp();
  for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
    *name = CopyName(stem, attempt);
    const int fd = open(name->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Gives the file that `base` names (through a symbolic link) the name base.before-import-STAMP
// as well; 0 or the errno.
int LinkCopyName(const std::string& base, std::string* name) {
  const std::string stem = base + ".before-import-" + LocalStamp();
  for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
    *name = CopyName(stem, attempt);
    if (linkat(AT_FDCWD, base.c_str(), AT_FDCWD, name->c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno != EEXIST) return errno;
  }
  return EEXIST;
}

// Makes the folder entry that holds `file` durable; 0 or the errno.
int SyncFolderOf(const std::string& file) {
  const std::string folder = file.substr(0, file.find_last_of('/') + 1);
  Descriptor directory(
      open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  return directory.get() >= 0 && fsync(directory.get()) == 0 ? 0 : errno;
}

}  // namespace

ImportRead ReadImportFile(const std::string& path, std::size_t limit, std::string* bytes,
                          std::string* error) {
  const bool standard_input = path == "-";
  Descriptor file(standard_input ? dup(STDIN_FILENO) : open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat info {};
  if (file.get() < 0 || fstat(file.get(), &info) != 0) {
    *error = Reason(errno);
    return ImportRead::kFailed;
  }
  if (S_ISDIR(info.st_mode)) {
    *error = "it is a folder";
    return ImportRead::kFailed;
  }
  if (S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) > limit) {
    return ImportRead::kTooLarge;
  }
  bytes->clear();
  for (;;) {
    const std::size_t filled = bytes->size();
    if (filled > limit) return ImportRead::kTooLarge;
    bytes->resize(filled + kChunk);
    const ssize_t got = read(file.get(), bytes->data() + filled, kChunk);
    bytes->resize(filled + (got > 0 ? static_cast<std::size_t>(got) : 0));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = Reason(errno);
      return ImportRead::kFailed;
    }
    if (got == 0) return bytes->size() > limit ? ImportRead::kTooLarge : ImportRead::kRead;
  }
}

bool CopySettingsAside(const std::string& settings_file, std::size_t copy_limit, std::string* copy,
                       std::string* error) {
  copy->clear();
  // Never blocks on a FIFO or device put in its place: the settings were read, so it is a file.
  Descriptor original(open(settings_file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  struct stat info {};
  if (original.get() < 0 || fstat(original.get(), &info) != 0) {
    if (errno == ENOENT) return true;
    *error = settings_file + ": " + Reason(errno);
    return false;
  }
  std::string name;
  int failure = 0;
  if (static_cast<std::uintmax_t>(info.st_size) > copy_limit) {
    // One file under two names has one mode: the copy's 0600 is the original's too.
    failure = (info.st_mode & 07777) == 0600 || fchmod(original.get(), 0600) == 0 ? 0 : errno;
    if (failure == 0) failure = LinkCopyName(settings_file, &name);
    if (failure != 0) {
      *error = (name.empty() ? settings_file : name) + ": " + Reason(failure);
      return false;
    }
  } else {
    Descriptor target(CreateCopyFile(settings_file, &name));
    if (target.get() < 0) {
      *error = name + ": " + Reason(errno);
      return false;
    }
    // The mode asked for at creation is narrowed by the umask only; make it exactly 0600.
    failure = fchmod(target.get(), 0600) == 0 ? 0 : errno;
    if (failure == 0) failure = CopyContents(original.get(), target.get());
    if (!target.Close() && failure == 0) failure = errno;
  }
  if (failure == 0) failure = SyncFolderOf(name);
  if (failure != 0) {
    unlink(name.c_str());
    *error = name + ": " + Reason(failure);
    return false;
  }
  *copy = name;
  return true;
}

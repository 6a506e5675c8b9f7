#include "platform/settings/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxLinks = 40;  // as the system follows at most
constexpr char kTemporarySuffix[] = ".XXXXXX";

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool Failed(const std::string& path, int error_number, std::string* error) {
  *error = "cannot write " + path + ": " + std::strerror(error_number);
  return false;
}

bool FailedWith(const std::string& path, const char* reason, std::string* error) {
  *error = "cannot write " + path + ": " + reason;
  return false;
}

// Writes, flushes and closes the temporary file; errno is kept on failure.
bool FillTemporary(int fd, std::string_view bytes) {
  const bool written = ::fchmod(fd, 0600) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int saved = errno;
  if (::close(fd) != 0 && written) return false;
  errno = saved;
  return written;
}

// The descriptor of this process that `path` names (/dev/stdout, /dev/fd/3, ...); -1 for any
// other path. Written as it is, like standard output: reopening it would lose an append or a
// socket.
int OwnDescriptor(const std::string& path) {
  if (path == "/dev/stdin") return STDIN_FILENO;
  if (path == "/dev/stdout") return STDOUT_FILENO;
  if (path == "/dev/stderr") return STDERR_FILENO;
  for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    if (!path.starts_with(prefix)) continue;
    const std::string_view digits = std::string_view(path).substr(prefix.size());
    if (digits.empty() || digits.size() > 9 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
      return -1;
    }
    return std::atoi(std::string(digits).c_str());
  }
  return -1;
}

enum class Way { kReplace, kInPlace, kDescriptor };

struct Target {
  Way way = Way::kReplace;
  std::string path;
  int fd = -1;
};

// Follows `path` through symbolic links to what is to be written.
bool FindTarget(const std::string& path, Target* target, std::string* error) {
  std::string current = path;
  for (int hop = 0; hop <= kMaxLinks; ++hop) {
    if (const int fd = OwnDescriptor(current); fd >= 0) {
      *target = Target{Way::kDescriptor, current, fd};
      return true;
    }
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0) {
      if (errno != ENOENT) return Failed(path, errno, error);
      *target = Target{Way::kReplace, current};  // a new file
      return true;
    }
    if (S_ISBLK(st.st_mode)) return FailedWith(path, "it is a disk (a block device)", error);
    if (!S_ISLNK(st.st_mode)) {
      *target = Target{S_ISREG(st.st_mode) ? Way::kReplace : Way::kInPlace, current};
      return true;
    }
    if (st.st_uid != ::geteuid() && st.st_uid != 0) {
      return FailedWith(path, "it is a symbolic link of another user", error);
    }
    std::string link(PATH_MAX, '\0');
    const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
    if (length < 0) return Failed(path, errno, error);
    link.resize(static_cast<std::size_t>(length));
    current = link.starts_with('/') ? link : FolderOf(current) + "/" + link;
  }
  return Failed(path, ELOOP, error);
}

// A hidden temporary name beside `name` in `folder`, within the longest name it may hold.
std::string TemporaryName(const std::string& folder, const std::string& name) {
  long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
  if (longest <= 0) longest = NAME_MAX;
  const std::size_t room = static_cast<std::size_t>(longest) - (sizeof kTemporarySuffix - 1) - 1;
  return folder + "/." + name.substr(0, room) + kTemporarySuffix;
}

bool Replace(const std::string& shown, const std::string& path, std::string_view bytes,
             std::string* error) {
  const std::string folder = FolderOf(path);
  std::string temporary = TemporaryName(folder, NameOf(path));
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // O_CREAT | O_EXCL, mode 0600
  if (fd < 0) return Failed(shown, errno, error);
  if (!FillTemporary(fd, bytes) || ::rename(temporary.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    return Failed(shown, saved, error);
  }
  const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // The rename is only durable once the folder is on the disk too.
  const bool synced = directory >= 0 && ::fsync(directory) == 0;
  const int saved = errno;
  if (directory >= 0) ::close(directory);
  return synced || Failed(shown, saved, error);
}

bool WriteInPlace(const std::string& shown, const Target& target, std::string_view bytes,
                  std::string* error) {
  const int fd = target.way == Way::kDescriptor
                     ? target.fd
                     : ::open(target.path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Failed(shown, errno, error);
  const bool written = WriteAll(fd, bytes);
  const int saved = errno;
  const bool closed = target.way == Way::kDescriptor || ::close(fd) == 0;
  if (!written) return Failed(shown, saved, error);
  return closed || Failed(shown, errno, error);
}

}  // namespace

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string* error) {
  const std::string name = NameOf(path);
  if (name.empty() || name == "." || name == "..") return Failed(path, EISDIR, error);
  Target target;
  if (!FindTarget(path, &target, error)) return false;
  if (target.way == Way::kReplace) return Replace(path, target.path, bytes, error);
  return WriteInPlace(path, target, bytes, error);
}

#include "platform/private_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

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

// Writes, flushes and closes the temporary file; errno is kept on failure.
bool FillTemporary(int fd, std::string_view bytes) {
  const bool written = ::fchmod(fd, 0600) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int saved = errno;
  if (::close(fd) != 0 && written) return false;
  errno = saved;
  return written;
}

}  // namespace

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string* error) {
  const std::string name = NameOf(path);
  if (name.empty() || name == "." || name == "..") return Failed(path, EISDIR, error);
  const std::string folder = FolderOf(path);
  std::string temporary = folder + "/." + name + ".XXXXXX";
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);  // O_CREAT | O_EXCL, mode 0600
  if (fd < 0) return Failed(path, errno, error);
  if (!FillTemporary(fd, bytes) || ::rename(temporary.c_str(), path.c_str()) != 0) {
    const int saved = errno;
    ::unlink(temporary.c_str());
    return Failed(path, saved, error);
  }
  const int directory = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  // The rename is only durable once the folder is on the disk too.
  const bool synced = directory >= 0 && ::fsync(directory) == 0;
  const int saved = errno;
  if (directory >= 0) ::close(directory);
  if (!synced) return Failed(path, saved, error);
  return true;
}

// One instance per user, by a lock file and a Unix socket in a private directory. The lock
// decides who is first (it goes away with the process, however it ends); the socket only
// carries the request to come forward, so a stale socket file is harmless and replaced.
#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

namespace {

constexpr std::string_view kRequest = "foreground\n";
constexpr int kConnectAttempts = 40;  // the first instance may be between lock and listen
constexpr auto kConnectPause = std::chrono::milliseconds(25);

struct InstanceState {
  bool enabled = false;
  int lock_fd = -1;
  int listen_fd = -1;
  std::string socket_path;
};

InstanceState& State() {
  static InstanceState state;
  return state;
}

// A directory only this user can enter: owned by the user, no access for group or others.
bool IsPrivateDirectory(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

// The private folder of the lock and the socket; the /tmp fallback is made only when `create`.
std::string InstanceDirectory(bool create = true) {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
      runtime != nullptr && runtime[0] == '/' && IsPrivateDirectory(runtime)) {
    return runtime;
  }
  const std::string fallback = "/tmp/cyclune-" + std::to_string(getuid());
  if (create && mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return IsPrivateDirectory(fallback) ? fallback : std::string();
}

bool MakeSocketAddress(const std::string& path, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

void Listen(InstanceState& state, const std::string& path) {
  sockaddr_un address;
  if (!MakeSocketAddress(path, &address)) return;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return;
  unlink(path.c_str());  // left by an earlier first instance; we hold the lock now
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 8) != 0) {
    close(fd);
    return;
  }
  state.listen_fd = fd;
  state.socket_path = path;
}

// Reads one request from an accepted connection of this same user.
bool IsForegroundRequest(int connection) {
  ucred peer{};
  socklen_t length = sizeof peer;
  if (getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0 ||
      peer.uid != getuid()) {
    return false;
  }
  const timeval wait{0, 200000};
  setsockopt(connection, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  char buffer[32];
  std::size_t filled = 0;
  while (filled < kRequest.size()) {
    const ssize_t got = read(connection, buffer + filled, sizeof buffer - filled);
    if (got <= 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return std::string_view(buffer, filled).substr(0, kRequest.size()) == kRequest;
}

}  // namespace

void EnableSingleInstance(bool enabled) { State().enabled = enabled; }

bool SingleInstanceEnabled() { return State().enabled; }

bool AnotherInstanceRunning() {
  InstanceState& state = State();
  if (state.lock_fd >= 0) return false;
  const std::string directory = InstanceDirectory();
  if (directory.empty()) return false;  // no private place: the rule cannot be kept
  const std::string lock_path = directory + "/cyclune.lock";
  const int fd = open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const bool taken = errno == EWOULDBLOCK;
    close(fd);
    return taken;
  }
  state.lock_fd = fd;
  Listen(state, directory + "/cyclune.sock");
  return false;
}

bool InstanceLockHeld() {
  if (State().lock_fd >= 0) return true;
  const std::string directory = InstanceDirectory(false);
  if (directory.empty()) return false;
  const int fd = open((directory + "/cyclune.lock").c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;  // no lock file: no instance has run here
  const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);  // releases the shared lock if it was granted
  return held;
}

bool AskRunningInstanceToComeForward() {
  const std::string directory = InstanceDirectory();
  sockaddr_un address;
  if (directory.empty() || !MakeSocketAddress(directory + "/cyclune.sock", &address)) {
    return false;
  }
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
      const bool sent = send(fd, kRequest.data(), kRequest.size(), MSG_NOSIGNAL) ==
                        static_cast<ssize_t>(kRequest.size());
      close(fd);
      return sent;
    }
    close(fd);
    std::this_thread::sleep_for(kConnectPause);
  }
  return false;
}

int ForegroundRequestSocket() { return State().listen_fd; }

int TakeForegroundRequests() {
  const int listen_fd = State().listen_fd;
  if (listen_fd < 0) return 0;
  int requests = 0;
  for (;;) {
    const int connection = accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) break;
    if (IsForegroundRequest(connection)) ++requests;
    close(connection);
  }
  return requests;
}

void ReleaseSingleInstance() {
  InstanceState& state = State();
  if (state.listen_fd >= 0) {
    close(state.listen_fd);
    unlink(state.socket_path.c_str());
    state.listen_fd = -1;
  }
  if (state.lock_fd >= 0) {
    close(state.lock_fd);
    state.lock_fd = -1;
  }
}

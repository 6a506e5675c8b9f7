// One instance per settings folder. The lock beside the settings decides who is first (it goes
// away with the process, however it ends) and records where the first listens, so a second
// start reaches it whatever its own runtime folder. The socket only carries the request to
// come forward and its answer, so a stale socket file is harmless and replaced. A second
// start waits for the first a moment at most, then says what it found.
#include "platform/instance/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <thread>

#include "platform/instance/single_instance_listen.h"
#include "platform/settings/registry_store.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kLockName[] = "cyclune.lock";
constexpr auto kAnswerTimeout = std::chrono::seconds(2);     // the most a second start waits
constexpr auto kRetryPause = std::chrono::milliseconds(25);  // the first may be mid-start

// What a start that could not be the first found.
enum class Outcome {
  kNone,          // no second start
  kAsked,         // the running instance answered
  kNoAnswer,      // it holds the lock but does not answer (stopped, busy, or never accepts)
  kNoSocket,      // it has no socket (no private runtime folder, or it could not listen)
  kPathTooLong,   // its socket path does not fit a socket address
  kNotListening,  // nothing listens at the path it recorded
  kLockUnusable,  // the lock itself cannot be had
};

struct InstanceState {
  bool enabled = false;
  int lock_fd = -1;
  std::string lock_path;
  Outcome outcome = Outcome::kNone;
  std::string detail;  // the path or reason that the outcome's line names
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

std::string RuntimeDirectory() {
  if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
      runtime != nullptr && runtime[0] == '/' && IsPrivateDirectory(runtime)) {
    return runtime;
  }
  const std::string fallback = "/tmp/cyclune-" + std::to_string(getuid());
  if (mkdir(fallback.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return IsPrivateDirectory(fallback) ? fallback : std::string();
}

// The socket's name carries the settings folder (FNV-1a), so instances of different settings
// that share a runtime folder each keep a socket of their own.
std::string SocketPath(const std::string& runtime, const std::string& settings) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const unsigned char c : settings) hash = (hash ^ c) * 0x100000001b3u;
  char name[40];
  std::snprintf(name, sizeof name, "/cyclune-%016llx.sock", static_cast<unsigned long long>(hash));
  return runtime + name;
}

// The lock file: never through a symbolic link, never anything but a plain file (O_NONBLOCK:
// a FIFO put there cannot hang the start), and 0600 whatever the umask, since a lock that its
// owner cannot open again keeps nobody out.
int OpenLockFile(const std::string& path, std::string* reason) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
  if (fd < 0) {
    *reason = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
    return -1;
  }
  struct stat info {};
  if (fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
    *reason = "it is not a plain file";
  } else if (fchmod(fd, 0600) == 0) {
    return fd;
  } else {
    *reason = std::strerror(errno);
  }
  close(fd);
  return -1;
}

// Writes the socket's path into the lock, one line; an empty line says there is no socket.
void RecordSocket(int lock_fd, const std::string& path) {
  const std::string line = path + "\n";
  if (ftruncate(lock_fd, 0) == 0) {
    [[maybe_unused]] const ssize_t written = pwrite(lock_fd, line.data(), line.size(), 0);
  }
}

// The path the first instance recorded; false while it has recorded nothing yet.
bool ReadRecordedSocket(const std::string& lock_path, std::string* path) {
  const int fd = open(lock_path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  char buffer[4096];
  const ssize_t got = pread(fd, buffer, sizeof buffer, 0);
  close(fd);
  if (got <= 0) return false;
  const std::string_view text(buffer, static_cast<std::size_t>(got));
  const std::size_t end = text.find('\n');
  if (end == std::string_view::npos) return false;
  *path = std::string(text.substr(0, end));
  return true;
}

bool Settle(Outcome outcome, std::string detail) {
  State().outcome = outcome;
  State().detail = std::move(detail);
  return outcome != Outcome::kAsked;
}

// Sends the request and waits for the answer until `deadline`.
bool SendAndAwaitAnswer(int fd, std::string_view request, Clock::time_point deadline) {
  if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) !=
      static_cast<ssize_t>(request.size())) {
    return false;
  }
  std::string answer;
  while (answer.size() < kForegroundAnswer.size()) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd watch{fd, POLLIN, 0};
    const int ready = left > 0 ? poll(&watch, 1, static_cast<int>(left)) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char buffer[8];
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EAGAIN) continue;
    if (got <= 0) return false;
    answer.append(buffer, static_cast<std::size_t>(got));
  }
  return answer.starts_with(kForegroundAnswer);
}

// One attempt at the recorded path. A full queue (the first is not accepting) and a missing
// listener (the first may be about to listen) are worth another attempt; the rest is final.
Outcome AskAt(const std::string& path, std::string_view request, Clock::time_point deadline) {
  if (path.empty()) return Outcome::kNoSocket;
  sockaddr_un address;
  if (!MakeSocketAddress(path, &address)) return Outcome::kPathTooLong;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return Outcome::kNotListening;
  Outcome outcome = Outcome::kNotListening;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    outcome = SendAndAwaitAnswer(fd, request, deadline) ? Outcome::kAsked : Outcome::kNoAnswer;
  } else if (errno == EAGAIN || errno == EINPROGRESS) {
    outcome = Outcome::kNoAnswer;
  }
  close(fd);
  return outcome;
}

// Sends `request` to the instance recorded in the lock, retrying while it may be mid-start.
bool AskRunningInstance(std::string_view request) {
  InstanceState& state = State();
  if (state.outcome == Outcome::kLockUnusable) return false;
  // A process that never tried to be the first (a reminder) finds the lock beside the settings.
  if (state.lock_path.empty()) state.lock_path = RegistryFolder() + "/" + kLockName;
  const auto deadline = Clock::now() + kAnswerTimeout;
  for (;;) {
    std::string path;
    const Outcome outcome = ReadRecordedSocket(state.lock_path, &path)
                                ? AskAt(path, request, deadline)
                                : Outcome::kNoAnswer;
    Settle(outcome, path);
    const bool final = outcome != Outcome::kNoAnswer && outcome != Outcome::kNotListening;
    if (final || Clock::now() + kRetryPause >= deadline) return outcome == Outcome::kAsked;
    std::this_thread::sleep_for(kRetryPause);
  }
}

}  // namespace

void EnableSingleInstance(bool enabled) { State().enabled = enabled; }

bool SingleInstanceEnabled() { return State().enabled; }

bool AnotherInstanceRunning() {
  InstanceState& state = State();
  if (state.lock_fd >= 0) return false;
  state.outcome = Outcome::kNone;
  const std::string folder = RegistryFolder();
  if (folder.empty()) return false;  // no home: nothing can be saved, so nothing can be lost
  StoreFailure failure;
  if (!MakeRegistryFolder(folder, &failure)) {
    return Settle(Outcome::kLockUnusable, "'" + failure.path + "': " + failure.reason);
  }
  state.lock_path = folder + "/" + kLockName;
  std::string reason;
  const int fd = OpenLockFile(state.lock_path, &reason);
  if (fd < 0) return Settle(Outcome::kLockUnusable, "'" + state.lock_path + "': " + reason);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    if (error != EWOULDBLOCK) {
      return Settle(Outcome::kLockUnusable, "'" + state.lock_path + "': " + std::strerror(error));
    }
    return Settle(Outcome::kNoAnswer, {});  // until it answers
  }
  state.lock_fd = fd;
  const std::string runtime = RuntimeDirectory();
  const std::string path = runtime.empty() ? std::string() : SocketPath(runtime, folder);
  const bool listening = !path.empty() && StartListening(path);
  // A path too long is still recorded, so that a second start can say so.
  RecordSocket(fd, listening || path.size() > kMaxSocketPath ? path : "");
  return false;
}

bool InstanceLockHeld() {
  if (State().lock_fd >= 0) return true;
  const std::string folder = RegistryFolder();
  if (folder.empty()) return false;
  // O_NONBLOCK: a FIFO put there must not hang the look.
  const int fd = open((folder + "/" + kLockName).c_str(),
                      O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;  // no lock file: no instance has run here
  struct stat info {};
  // No instance runs on anything but a plain file there (OpenLockFile refuses it).
  const bool held = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                    flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  close(fd);  // releases the shared lock if it was granted
  return held;
}

bool AskRunningInstanceToComeForward() { return AskRunningInstance(kForegroundRequest); }

bool AskRunningInstanceToRecordPeriod(CivilDay day) {
  return AskRunningInstance(RecordPeriodRequest(day));
}

std::string SecondStartMessage() {
  const InstanceState& state = State();
  const std::string running = "Cyclune is already running";
  const std::string unreachable = running + " but cannot be asked to come forward: ";
  switch (state.outcome) {
    case Outcome::kNone:
      return {};
    case Outcome::kAsked:
      return running + "; it was asked to come forward";
    case Outcome::kNoAnswer:
      return running + " but does not respond";
    case Outcome::kNoSocket:
      return unreachable + "it has no socket";
    case Outcome::kPathTooLong:
      return unreachable + "its socket path is too long ('" + state.detail + "')";
    case Outcome::kNotListening:
      return unreachable + "nothing listens at '" + state.detail + "'";
    case Outcome::kLockUnusable:
      return "cannot take the instance lock " + state.detail;
  }
  return {};
}

int ReportSecondStart(int winmain_result) {
  const std::string message = SecondStartMessage();
  const bool asked = State().outcome == Outcome::kAsked;
  State().outcome = Outcome::kNone;
  if (message.empty()) return winmain_result;
  std::fprintf(stderr, "cyclune: %s\n", message.c_str());
  return asked ? 0 : 1;
}

int ForegroundRequestSocket() { return ListenerWakeFd(); }

int TakeForegroundRequests() { return TakeListenerRequests(); }

std::vector<CivilDay> TakeRecordPeriodRequests() { return TakeListenerRecordDays(); }

void ReleaseSingleInstance() {
  StopListening();
  if (State().lock_fd >= 0) close(State().lock_fd);
  State().lock_fd = -1;
}

// Accepting and reading never wait: the listening socket and every connection are
// non-blocking, and one epoll descriptor gathers them with a timer for the oldest
// connection's time-out, so a backend polls one descriptor for all of them.
#include "platform/instance/single_instance_listen.h"

#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "platform/dates/civil_days.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kIdleTimeout = std::chrono::seconds(1);  // a peer that sends nothing
constexpr std::size_t kMaxPeers = 16;   // beyond this, a new peer pushes out the oldest
constexpr int kMaxAcceptsPerPass = 64;  // the rest of a flood waits for the next pass

struct Peer {
  int fd = -1;
  Clock::time_point since;
  std::string received;
};

struct ListenerState {
  int listen_fd = -1;
  int wake_fd = -1;   // epoll over the listening socket, the peers and the timer
  int timer_fd = -1;  // fires when the oldest peer has been idle too long
  std::string socket_path;
  pid_t owner = 0;                    // the process that made the socket file
  std::vector<Peer> peers;            // oldest first
  std::vector<CivilDay> record_days;  // asked for and not yet taken
};

ListenerState& Listener() {
  static ListenerState state;
  return state;
}

void CloseFd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

bool Watch(int wake_fd, int fd) {
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.fd = fd;
  return epoll_ctl(wake_fd, EPOLL_CTL_ADD, fd, &event) == 0;
}

bool FromThisUser(int connection) {
  ucred peer{};
  socklen_t length = sizeof peer;
  return getsockopt(connection, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 &&
         peer.uid == getuid();
}

void AcceptPeers(ListenerState& state) {
  for (int pass = 0; pass < kMaxAcceptsPerPass; ++pass) {
    const int fd = accept4(state.listen_fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    if (!FromThisUser(fd) || !Watch(state.wake_fd, fd)) {
      close(fd);
      continue;
    }
    if (state.peers.size() == kMaxPeers) {
      close(state.peers.front().fd);
      state.peers.erase(state.peers.begin());
    }
    state.peers.push_back(Peer{fd, Clock::now(), {}});
  }
}

enum class PeerRead { kWaiting, kForeground, kRecordPeriod, kDone };

constexpr std::size_t kMaxRequestLine = 32;  // the longest request, its newline included

// The day of "YYYY-MM-DD", a real day of the years 1 to 9999; false for anything else.
bool ParseRequestDay(std::string_view text, CivilDay* day) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
  unsigned fields[3] = {0, 0, 0};
  const std::size_t starts[3] = {0, 5, 8};
  const std::size_t lengths[3] = {4, 2, 2};
  for (int i = 0; i < 3; ++i) {
    for (std::size_t at = starts[i]; at < starts[i] + lengths[i]; ++at) {
      if (text[at] < '0' || text[at] > '9') return false;
      fields[i] = fields[i] * 10 + static_cast<unsigned>(text[at] - '0');
    }
  }
  const auto [year, month, date] = fields;
  if (year < 1 || month < 1 || month > 12 || date < 1 ||
      date > civil::LastDayOfMonth(year, month)) {
    return false;
  }
  *day = CivilDay(year, static_cast<std::int32_t>(month), static_cast<std::int32_t>(date));
  return true;
}

// What one complete line asks for.
PeerRead RequestOf(std::string_view line, CivilDay* day) {
  if (line == kForegroundRequest.substr(0, kForegroundRequest.size() - 1)) {
    return PeerRead::kForeground;
  }
  if (line.starts_with(kRecordPeriodRequest) &&
      ParseRequestDay(line.substr(kRecordPeriodRequest.size()), day)) {
    return PeerRead::kRecordPeriod;
  }
  return PeerRead::kDone;
}

// Takes what the peer has sent so far, without waiting for more: one line, its request.
PeerRead ReadPeer(Peer& peer, CivilDay* day) {
  char buffer[32];
  for (;;) {
    const ssize_t got = read(peer.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && errno == EAGAIN) return PeerRead::kWaiting;
    if (got <= 0) return PeerRead::kDone;
    peer.received.append(buffer, static_cast<std::size_t>(got));
    const std::size_t end = peer.received.find('\n');
    if (end != std::string::npos) {
      return RequestOf(std::string_view(peer.received).substr(0, end), day);
    }
    if (peer.received.size() >= kMaxRequestLine) return PeerRead::kDone;
  }
}

// Wakes the backend's poll when the oldest peer's time is up; disarmed without peers.
void ArmTimer(const ListenerState& state) {
  itimerspec when{};
  if (!state.peers.empty()) {
    const auto left = std::max<Clock::duration>(
        state.peers.front().since + kIdleTimeout - Clock::now(), std::chrono::milliseconds(1));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(left);
    when.it_value.tv_sec = static_cast<time_t>(seconds.count());
    when.it_value.tv_nsec = static_cast<long>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(left - seconds).count());
  }
  timerfd_settime(state.timer_fd, 0, &when, nullptr);
}

// An exit that skips StopListening (Xlib ends the process when the display goes away) still
// takes the socket file away, as a normal end does; a forked child leaves it to its parent.
void RemoveSocketAtExit() {
  const ListenerState& state = Listener();
  if (state.listen_fd >= 0 && state.owner == getpid()) unlink(state.socket_path.c_str());
}

}  // namespace

bool MakeSocketAddress(const std::string& path, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  if (path.size() > kMaxSocketPath) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool StartListening(const std::string& path) {
  ListenerState& state = Listener();
  sockaddr_un address;
  if (!MakeSocketAddress(path, &address)) return false;
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  int wake = epoll_create1(EPOLL_CLOEXEC);
  int timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
  unlink(path.c_str());  // left by an earlier first instance; the caller holds the lock
  if (fd < 0 || wake < 0 || timer < 0 ||
      bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(fd, 16) != 0 || !Watch(wake, fd) || !Watch(wake, timer)) {
    CloseFd(&fd);
    CloseFd(&wake);
    CloseFd(&timer);
    return false;
  }
  state.listen_fd = fd;
  state.wake_fd = wake;
  state.timer_fd = timer;
  state.socket_path = path;
  state.owner = getpid();
  static const bool removed_at_exit = std::atexit(RemoveSocketAtExit) == 0;
  (void)removed_at_exit;
  return true;
}

int ListenerWakeFd() { return Listener().wake_fd; }

int TakeListenerRequests() {
  ListenerState& state = Listener();
  if (state.listen_fd < 0) return 0;
  std::uint64_t expirations = 0;
  [[maybe_unused]] const ssize_t cleared = read(state.timer_fd, &expirations, sizeof expirations);
  AcceptPeers(state);
  const auto now = Clock::now();
  int requests = 0;
  std::vector<Peer> waiting;
  for (Peer& peer : state.peers) {
    CivilDay day;
    const PeerRead read = ReadPeer(peer, &day);
    if (read == PeerRead::kForeground) ++requests;
    if (read == PeerRead::kRecordPeriod) state.record_days.push_back(day);
    if (read == PeerRead::kForeground || read == PeerRead::kRecordPeriod) {
      send(peer.fd, kForegroundAnswer.data(), kForegroundAnswer.size(),
           MSG_NOSIGNAL | MSG_DONTWAIT);
    }
    if (read == PeerRead::kWaiting && now - peer.since < kIdleTimeout) {
      waiting.push_back(std::move(peer));
    } else {
      close(peer.fd);
    }
  }
  state.peers = std::move(waiting);
  ArmTimer(state);
  return requests;
}

std::vector<CivilDay> TakeListenerRecordDays() { return std::exchange(Listener().record_days, {}); }

std::string RecordPeriodRequest(CivilDay day) {
  char line[40];
  std::snprintf(line, sizeof line, "%04d-%02d-%02d\n", day.year(), day.month(), day.day());
  return std::string(kRecordPeriodRequest) + line;
}

void StopListening() {
  ListenerState& state = Listener();
  for (Peer& peer : state.peers) close(peer.fd);
  state.peers.clear();
  state.record_days.clear();
  CloseFd(&state.timer_fd);
  CloseFd(&state.wake_fd);
  if (state.listen_fd >= 0) {
    CloseFd(&state.listen_fd);
    unlink(state.socket_path.c_str());
  }
}

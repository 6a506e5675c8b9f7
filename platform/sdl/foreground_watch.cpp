#include "platform/sdl/foreground_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

namespace {

// A queue too full to take the event is tried again after this long.
constexpr Uint32 kFullQueueRetryMilliseconds = 10;

void Signal(int fd) {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(fd, &one, sizeof one);
}

void CloseFd(int* fd) {
  if (*fd >= 0) close(*fd);
  *fd = -1;
}

}  // namespace

bool ForegroundWatch::Watch(int fd, Uint32 event_type) {
  Stop();
  if (fd < 0 || event_type == 0) return false;
  stop_ = eventfd(0, EFD_CLOEXEC);
  rearm_ = eventfd(0, EFD_CLOEXEC);
  if (stop_ < 0 || rearm_ < 0) {
    Stop();
    return false;
  }
  fd_ = fd;
  event_type_ = event_type;
  try {
    thread_ = std::thread(&ForegroundWatch::Run, this);
  } catch (const std::system_error&) {
    Stop();
    return false;
  }
  return true;
}

void ForegroundWatch::Rearm() {
  if (rearm_ >= 0) Signal(rearm_);
}

void ForegroundWatch::Stop() {
  if (thread_.joinable()) {
    Signal(stop_);
    thread_.join();
  }
  CloseFd(&stop_);
  CloseFd(&rearm_);
  fd_ = -1;
}

void ForegroundWatch::Run() {
  bool armed = true;
  for (;;) {
    pollfd fds[2] = {{stop_, POLLIN, 0}, {armed ? fd_ : rearm_, POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0 || (fds[1].revents & POLLNVAL) != 0) return;
    if (fds[1].revents == 0) continue;
    if (armed) {
      SDL_Event event{};
      event.type = event_type_;
      armed = SDL_PushEvent(&event) != 1;
      if (armed) SDL_Delay(kFullQueueRetryMilliseconds);
    } else {
      std::uint64_t count = 0;
      [[maybe_unused]] const ssize_t got = read(rearm_, &count, sizeof count);
      armed = true;
    }
  }
}

// Waiting on the display and the one-instance socket together: a thread of its own blocks on
// the socket and, once it is readable, pushes an SDL event, which wakes the window's event
// wait like any input. The window then waits with no time-out and wakes only for something
// to do. The thread only watches: the requests are taken on the window's thread
// (ServiceForegroundRequests), after which Rearm lets it watch again, so a socket still
// readable is not reported twice. Internal to platform/sdl.
#pragma once

#include <SDL.h>

#include <thread>

class ForegroundWatch {
 public:
  ForegroundWatch() = default;
  ~ForegroundWatch() { Stop(); }
  ForegroundWatch(const ForegroundWatch&) = delete;
  ForegroundWatch& operator=(const ForegroundWatch&) = delete;

  // Watches `fd` (after the previous one, if any, is let go), pushing an event of type
  // `event_type` when it becomes readable. -1 only stops. False when no thread could watch.
  bool Watch(int fd, Uint32 event_type);
  // The descriptor watched; -1 for none.
  int fd() const { return fd_; }
  // The event was handled: watch for the next request.
  void Rearm();
  void Stop();

 private:
  void Run();

  std::thread thread_;
  int fd_ = -1;
  int stop_ = -1;   // eventfd: the thread ends
  int rearm_ = -1;  // eventfd: the event was handled
  Uint32 event_type_ = 0;
};

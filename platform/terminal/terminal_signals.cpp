#include "platform/terminal/terminal_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

namespace {

constexpr std::array<int, 5> kEventSignals = {SIGINT, SIGTERM, SIGHUP, SIGWINCH, SIGCONT};
// Faults and aborts: a handler already there (a sanitizer's report) is kept and chained to.
constexpr std::array<int, 8> kCrashSignals = {SIGSEGV, SIGBUS,  SIGILL,  SIGFPE,
                                              SIGABRT, SIGQUIT, SIGTRAP, SIGSYS};
// The other signals whose default action ends the process (the real-time ones are added at
// run time): these are only taken over while that default is in force.
constexpr std::array<int, 11> kEndingSignals = {SIGUSR1, SIGUSR2,   SIGPIPE,   SIGALRM,
                                                SIGXCPU, SIGXFSZ,   SIGVTALRM, SIGPROF,
                                                SIGIO,   SIGSTKFLT, SIGPWR};
constexpr int kSignalCount = _NSIG;
constexpr std::size_t kRescueCapacity = 512;

// Everything a handler touches is plain static data, set up before the handlers go in.
volatile sig_atomic_t g_end = 0;
volatile sig_atomic_t g_hang_up = 0;
volatile sig_atomic_t g_resize = 0;
volatile sig_atomic_t g_resumed = 0;
volatile sig_atomic_t g_installed = 0;
int g_pipe[2] = {-1, -1};
int g_tty = -1;
termios g_saved_modes{};
char g_rescue[kRescueCapacity];
volatile sig_atomic_t g_rescue_length = 0;
struct sigaction g_previous_event[kEventSignals.size()];
// Per signal number: whether OnFatalSignal is its handler, and the disposition it replaced.
bool g_fatal[kSignalCount] = {};
struct sigaction g_previous_fatal[kSignalCount];
std::array<char, 64 * 1024> g_alternate_stack;

void ClearFlags() {
  g_end = 0;
  g_hang_up = 0;
  g_resize = 0;
  g_resumed = 0;
}

void Wake() {
  const int saved_errno = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = write(g_pipe[1], &byte, 1);
  errno = saved_errno;
}

void OnEventSignal(int signal_number) {
  switch (signal_number) {
    case SIGWINCH:
      g_resize = 1;
      break;
    case SIGCONT:
      g_resumed = 1;
      break;
    case SIGHUP:
      g_hang_up = 1;
      g_end = 1;
      break;
    default:
      g_end = 1;
      break;
  }
  Wake();
}

void WriteAll(int fd, const char* bytes, std::size_t length) {
  while (length > 0) {
    const ssize_t written = write(fd, bytes, length);
    if (written <= 0) {
      if (written < 0 && errno == EINTR) continue;
      return;
    }
    bytes += written;
    length -= static_cast<std::size_t>(written);
  }
}

void RestoreTty() {
  if (g_tty < 0) return;
  WriteAll(g_tty, g_rescue, static_cast<std::size_t>(g_rescue_length));
  tcsetattr(g_tty, TCSAFLUSH, &g_saved_modes);
}

void OnFatalSignal(int signal_number) {
  RestoreTty();
  g_tty = -1;  // once is enough, whatever comes next
  if (signal_number > 0 && signal_number < kSignalCount) {
    sigaction(signal_number, &g_previous_fatal[signal_number], nullptr);
  }
  // Raised again, the signal is delivered under the previous disposition (the default
  // action, or a sanitizer's report) once this handler returns; a fault re-executes its
  // instruction and meets that disposition as well.
  raise(signal_number);
}

bool IsCrashSignal(int signal_number) {
  return std::find(kCrashSignals.begin(), kCrashSignals.end(), signal_number) !=
         kCrashSignals.end();
}

// Whether the signal, as it is disposed of now, ends the process: never when ignored, and
// through someone else's handler only for the crash signals.
bool EndsTheProcess(int signal_number, const struct sigaction& now) {
  if ((now.sa_flags & SA_SIGINFO) == 0 && now.sa_handler == SIG_IGN) return false;
  if ((now.sa_flags & SA_SIGINFO) == 0 && now.sa_handler == SIG_DFL) return true;
  return IsCrashSignal(signal_number);
}

void TakeOverFatal(int signal_number) {
  if (signal_number <= 0 || signal_number >= kSignalCount) return;
  struct sigaction now {};
  if (sigaction(signal_number, nullptr, &now) != 0 || !EndsTheProcess(signal_number, now)) {
    return;
  }
  g_previous_fatal[signal_number] = now;
  struct sigaction action {};
  sigfillset(&action.sa_mask);  // nothing else interrupts the rescue
  action.sa_handler = OnFatalSignal;
  action.sa_flags = SA_ONSTACK;
  if (sigaction(signal_number, &action, nullptr) == 0) g_fatal[signal_number] = true;
}

void InstallFatalHandlers() {
  for (const int signal_number : kCrashSignals) TakeOverFatal(signal_number);
  for (const int signal_number : kEndingSignals) TakeOverFatal(signal_number);
  for (int signal_number = SIGRTMIN; signal_number <= SIGRTMAX; ++signal_number) {
    TakeOverFatal(signal_number);
  }
}

void UseAlternateStack() {
  stack_t current{};
  if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0) return;
  stack_t stack{};
  stack.ss_sp = g_alternate_stack.data();
  stack.ss_size = g_alternate_stack.size();
  sigaltstack(&stack, nullptr);
}

}  // namespace

bool InstallTerminalSignals(int tty_fd) {
  if (g_installed) return true;
  if (pipe2(g_pipe, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  g_tty = tty_fd;
  if (tcgetattr(tty_fd, &g_saved_modes) != 0) g_tty = -1;
  ClearFlags();
  UseAlternateStack();
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_handler = OnEventSignal;
  action.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < kEventSignals.size(); ++i) {
    sigaction(kEventSignals[i], &action, &g_previous_event[i]);
  }
  InstallFatalHandlers();
  g_installed = 1;
  return true;
}

void SetTerminalRescueSequence(std::string_view sequence) {
  const std::size_t length = std::min(sequence.size(), kRescueCapacity - 1);
  g_rescue_length = 0;  // a signal in between writes nothing rather than half a sequence
  std::memcpy(g_rescue, sequence.data(), length);
  g_rescue_length = static_cast<sig_atomic_t>(length);
}

void RescueTerminal() {
  if (g_installed) RestoreTty();
}

int SignalWakeFd() { return g_installed ? g_pipe[0] : -1; }

SignalEvents TakeSignalEvents() {
  SignalEvents events;
  if (!g_installed) return events;
  char drain[64];
  while (read(g_pipe[0], drain, sizeof drain) > 0) {
  }
  events.end = g_end != 0;
  events.hang_up = g_hang_up != 0;
  events.resize = g_resize != 0;
  events.resumed = g_resumed != 0;
  ClearFlags();
  return events;
}

void RemoveTerminalSignals() {
  if (!g_installed) return;
  for (std::size_t i = 0; i < kEventSignals.size(); ++i) {
    sigaction(kEventSignals[i], &g_previous_event[i], nullptr);
  }
  for (int signal_number = 1; signal_number < kSignalCount; ++signal_number) {
    if (!g_fatal[signal_number]) continue;
    sigaction(signal_number, &g_previous_fatal[signal_number], nullptr);
    g_fatal[signal_number] = false;
  }
  g_installed = 0;
  g_tty = -1;
  close(g_pipe[0]);
  close(g_pipe[1]);
  g_pipe[0] = g_pipe[1] = -1;
}

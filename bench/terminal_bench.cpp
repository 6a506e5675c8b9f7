// The terminal front end's speed: from the start of the program to the first full screen
// (the whole process on a pseudo-terminal, and the backend in this process), and from a key
// to the redrawn screen. Budgets: the first screen within 30 ms, a key within 5 ms.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/calendar_window.h"
#include "model/calendar_state.h"
#include "platform/canvas/cells/cell_text.h"
#include "platform/dates/datetime.h"
#include "platform/terminal/terminal_backend.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr winsize kScreen{24, 80, 0, 0};
constexpr const char* kF2 = "\033OQ";

// A private configuration and runtime directory, so runs neither read nor lock the user's;
// removed when the benchmarks end.
class Scratch {
 public:
  Scratch() {
    char pattern[] = "/tmp/cyclune-bench-XXXXXX";
    if (mkdtemp(pattern) != nullptr) path_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& ScratchDirectory() {
  static const Scratch scratch;
  return scratch.path();
}

// Reads what the terminal was sent until `marker` appears or `limit` passes; true when seen.
bool ReadUntil(int master, const std::string& marker, Clock::duration limit) {
  const auto deadline = Clock::now() + limit;
  std::string seen;
  char buffer[8192];
  while (Clock::now() < deadline) {
    pollfd fd{master, POLLIN, 0};
    if (poll(&fd, 1, 50) <= 0) continue;
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got <= 0) return false;
    seen.append(buffer, static_cast<std::size_t>(got));
    if (seen.find(marker) != std::string::npos) return true;
    if (seen.size() > marker.size()) seen.erase(0, seen.size() - marker.size());
  }
  return false;
}

void Drain(int master) {
  char buffer[8192];
  pollfd fd{master, POLLIN, 0};
  while (poll(&fd, 1, 0) > 0 && read(master, buffer, sizeof buffer) > 0) {
  }
}

// The program beside bench/, or the one CYCLUNE_BENCH_PROGRAM names (to time another build).
std::string CycluneBinary() {
  if (const char* chosen = std::getenv("CYCLUNE_BENCH_PROGRAM"); chosen != nullptr && *chosen) {
    return chosen;
  }
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  return (self.parent_path().parent_path() / "cyclune").string();
}

// The whole program: exec on a pseudo-terminal until the soft-key bar (the last row drawn)
// has been written, then F2. The bar's last cell is written on its own (without autowrap),
// so the mark is "Exi".
void BM_TerminalProcessStartToFirstScreen(benchmark::State& state) {
  const std::string binary = CycluneBinary();
  if (access(binary.c_str(), X_OK) != 0) {
    state.SkipWithError("the cyclune binary is not built next to bench/");
    return;
  }
  const std::string& scratch = ScratchDirectory();  // made here, not in each child
  for (auto _ : state) {
    int master = -1;
    winsize size = kScreen;
    const auto start = Clock::now();
    const pid_t child = forkpty(&master, nullptr, nullptr, &size);
    if (child == 0) {
      setenv("TERM", "xterm-256color", 1);
      setenv("LC_ALL", "C.UTF-8", 1);
      setenv("XDG_CONFIG_HOME", scratch.c_str(), 1);
      setenv("XDG_RUNTIME_DIR", scratch.c_str(), 1);
      unsetenv("DISPLAY");
      unsetenv("COLORTERM");
      execl(binary.c_str(), binary.c_str(), "--terminal", "--now", "2024-05-15T09:00:00",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    const bool shown = child > 0 && ReadUntil(master, "Exi", std::chrono::seconds(10));
    const auto end = Clock::now();
    if (child > 0) {
      [[maybe_unused]] const ssize_t sent = write(master, kF2, 3);
      ReadUntil(master, "\033[?1049l", std::chrono::seconds(5));  // the screen given back
      int status = 0;
      waitpid(child, &status, 0);
      close(master);
    }
    if (!shown) {
      state.SkipWithError("the first screen did not come");
      return;
    }
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
  }
}
BENCHMARK(BM_TerminalProcessStartToFirstScreen)->UseManualTime()->Unit(benchmark::kMillisecond);

// The backend in this process on a pseudo-terminal, with the program's calendar.
class PseudoTerminal {
 public:
  PseudoTerminal() {
    winsize size = kScreen;
    if (openpty(&master_, &slave_, nullptr, nullptr, &size) != 0) master_ = slave_ = -1;
    setenv("TERM", "xterm-256color", 1);
    unsetenv("COLORTERM");
    setenv("XDG_CONFIG_HOME", ScratchDirectory().c_str(), 1);
    std::setlocale(LC_CTYPE, "C.UTF-8");
    SetCellTextUnicode(true);
    const LocalDateTime now{CivilDay(2024, 5, 15), 9};
    FixLocalClock(now);
  }
  ~PseudoTerminal() {
    close(master_);
    close(slave_);
  }
  bool Ok() const { return master_ >= 0; }
  int master() const { return master_; }
  // Opens the screen and the calendar, painted; nullptr when the backend cannot start.
  CalendarWindow* Start() {
    std::string error;
    front_end_ = OpenTerminalBackend(slave_, slave_, &error);
    if (front_end_ == nullptr) return nullptr;
    state_ = CalendarState{};
    calendar_ = std::make_unique<CalendarWindow>(*front_end_, state_, CalendarOptions{});
    return calendar_->Open() ? calendar_.get() : nullptr;
  }
  void Stop() {
    calendar_.reset();
    CloseTerminalBackend();
    Drain(master_);
  }
  UiFrontEnd& front_end() { return *front_end_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  UiFrontEnd* front_end_ = nullptr;
  CalendarState state_;
  std::unique_ptr<CalendarWindow> calendar_;
};

void BM_TerminalBackendStartToFirstScreen(benchmark::State& state) {
  PseudoTerminal terminal;
  if (!terminal.Ok()) {
    state.SkipWithError("no pseudo-terminal");
    return;
  }
  for (auto _ : state) {
    CalendarWindow* calendar = terminal.Start();
    benchmark::DoNotOptimize(calendar);
    state.PauseTiming();
    if (calendar == nullptr) {
      state.SkipWithError("the backend did not start");
      return;
    }
    terminal.Stop();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_TerminalBackendStartToFirstScreen)->Unit(benchmark::kMillisecond);

// A key written to the terminal until its repaint has been sent back: the next day, then
// the day before, so the month stays the same.
void BM_TerminalKeyToRedrawnScreen(benchmark::State& state) {
  PseudoTerminal terminal;
  CalendarWindow* calendar = terminal.Ok() ? terminal.Start() : nullptr;
  if (calendar == nullptr) {
    state.SkipWithError("the backend did not start");
    return;
  }
  Drain(terminal.master());
  bool down = true;
  {
    EventLoop loop(terminal.front_end(), *calendar);
    loop.Flush();
    Drain(terminal.master());
    for (auto _ : state) {
      const char* key = down ? "\033[B" : "\033[A";
      down = !down;
      [[maybe_unused]] const ssize_t sent = write(terminal.master(), key, 3);
      // The step waits in the front end for the key; the frame it presents is the last part.
      loop.Step();
      state.PauseTiming();
      Drain(terminal.master());
      state.ResumeTiming();
    }
  }
  terminal.Stop();
}
BENCHMARK(BM_TerminalKeyToRedrawnScreen)->Unit(benchmark::kMicrosecond);

}  // namespace

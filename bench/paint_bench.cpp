// Speed of the month view and the shell: one PaintMonth into the off-screen surface at the
// handheld size (240 x 266, target <= 1 ms) and at full HD (target <= 8 ms); a key press up
// to its finished repaint (target <= 2 ms); and the start of the headless program up to its
// first painted frame written out (target <= 50 ms).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/calendar_window.h"
#include "model/calendar_state.h"
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/dates/datetime.h"
#include "platform/ui/front_end.h"
#include "view/month_view.h"

namespace {

namespace fs = std::filesystem;

fs::path MakeScratch() {
  std::string pattern = (fs::temp_directory_path() / "cyclune-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  setenv("XDG_CONFIG_HOME", (fs::path(pattern) / "config").c_str(), 1);
  setenv("LC_ALL", "en_US.UTF-8", 1);
  return pattern;
}

void RemoveScratch();

// A scratch folder used as settings home and output folder for the whole run. The removal
// is registered after the path exists, so it runs while the path is still alive.
const fs::path& Scratch() {
  static const fs::path path = MakeScratch();
  static const bool removed_at_exit = std::atexit(RemoveScratch) == 0;
  (void)removed_at_exit;
  return path;
}

void RemoveScratch() {
  std::error_code ignored;
  fs::remove_all(Scratch(), ignored);
}

// A cycle with every colour on screen: the last period on 1 May 2024, May 2024 selected.
void ShowColouredMonth(CalendarState& month) {
  month.SelectedDate = LocalDateTime{CivilDay(2024, 5, 20), 9, 30};
  month.LastPeriod = LocalDateTime{CivilDay(2024, 5, 1), 9, 30};
  month.LastPeriodKnown = 1;
}

// The desktop's window without a screen: pixel canvases of the handheld size.
class OffScreenFrontEnd final : public UiFrontEnd {
 public:
  std::unique_ptr<Canvas> MakeCanvas(int width, int height) override {
    return MakePixelCanvas(width, height);
  }
  bool WaitEvents(std::vector<UiEvent>*) override { return false; }
  void Present(const Canvas*, ModalModel&, bool) override {}
};

void BM_PaintMonth(benchmark::State& state) {
  CalendarState month;
  ShowColouredMonth(month);
  std::unique_ptr<Canvas> screen =
      MakePixelCanvas(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    PaintMonth(*screen, month);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PaintMonth)->Args({240, 266})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

// The same paint with the day marks on (--cues): each marked day's number measured, its
// shape filled row by row.
void BM_PaintMonthWithMarks(benchmark::State& state) {
  CalendarState month;
  ShowColouredMonth(month);
  month.DayMarks = 1;
  std::unique_ptr<Canvas> screen =
      MakePixelCanvas(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) {
    PaintMonth(*screen, month);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PaintMonthWithMarks)
    ->Args({240, 266})
    ->Args({1920, 1080})
    ->Unit(benchmark::kMicrosecond);

// Down then Up, each handed to the calendar and followed by the repaint it asked for.
void BM_KeyPressToRepaint(benchmark::State& state) {
  Scratch();
  FixLocalClock(LocalDateTime{CivilDay(2024, 5, 20), 9, 30});
  OffScreenFrontEnd front_end;
  CalendarState shown;
  CalendarWindow calendar(front_end, shown, CalendarOptions{});
  if (!calendar.Open()) std::abort();
  ShowColouredMonth(shown);
  Key key = Key::kDown;
  for (auto _ : state) {
    calendar.KeyDown(key);
    calendar.Paint();
    key = key == Key::kDown ? Key::kUp : Key::kDown;
  }
}
BENCHMARK(BM_KeyPressToRepaint)->Unit(benchmark::kMicrosecond);

// The cyclune binary next to the bench folder of the build.
fs::path CycluneBinary() {
  std::error_code ignored;
  return fs::read_symlink("/proc/self/exe", ignored).parent_path().parent_path() / "cyclune";
}

// fork/exec of `cyclune --headless` whose script writes the first frame, until it exits.
void BM_StartToFirstFrame(benchmark::State& state) {
  const fs::path binary = CycluneBinary();
  if (!fs::exists(binary)) {
    state.SkipWithError("the cyclune binary is not built");
    return;
  }
  const fs::path script = Scratch() / "first-frame.txt";
  std::ofstream(script) << "shot first\n";
  const std::string out = (Scratch() / "out").string();
  for (auto _ : state) {
    const pid_t child = fork();
    if (child == 0) {
      execl(binary.c_str(), "cyclune", "--headless", "--now", "2024-05-20T09:30:00", "--script",
            script.c_str(), "--out", out.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("cyclune --headless failed");
      break;
    }
  }
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// The settings store on the real disk: LoadSettings (open, parse, read five values) and a
// durable SaveSettings (locked read-modify-write, fsync, rename, folder fsync). The files live
// in a new folder under /tmp, which on the development machines is the same disk as /work.
// Figures go to bench/README.md, "Settings store".
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "model/calendar_state.h"
#include "model/settings.h"

namespace {

// Points XDG_CONFIG_HOME at a fresh folder for the whole run and removes it afterwards.
class BenchFolder {
 public:
  BenchFolder() {
    std::string pattern = "/tmp/cyclune-store-bench-XXXXXX";
    root_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : "/tmp";
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  }
  ~BenchFolder() {
    std::error_code ignored;
    if (root_ != "/tmp") std::filesystem::remove_all(root_, ignored);
  }
  // Starts the file anew with `foreign` other values in another key, then the five settings
  // of the state returned.
  CalendarState Prepare(int foreign) {
    std::filesystem::create_directories(root_ + "/cyclune");
    std::ofstream out(root_ + "/cyclune/registry.reg", std::ios::binary | std::ios::trunc);
    out << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Other]\n";
    for (int i = 0; i < foreign; ++i)
      out << "\"Value" << i << "\"=\"some text of a foreign program\"\n";
    out.close();
    CalendarState saved;
    saved.LastPeriod = LocalDateTime{CivilDay(2024, 3, 1), 8, 30};
    saved.LastPeriodKnown = 1;
    SaveSettings(saved);
    return saved;
  }

 private:
  std::string root_;
};

BenchFolder& Folder() {
  static BenchFolder folder;
  return folder;
}

void BM_LoadSettings(benchmark::State& state) {
  Folder().Prepare(static_cast<int>(state.range(0)));
  CalendarState loaded;
  for (auto _ : state) {
    loaded = CalendarState{};
    LoadSettings(loaded);
    benchmark::DoNotOptimize(loaded.LastPeriodKnown);
  }
  if (loaded.LastPeriodKnown != 1) state.SkipWithError("the settings did not load");
}
BENCHMARK(BM_LoadSettings)->Arg(0)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_SaveSettings(benchmark::State& state) {
  CalendarState settings = Folder().Prepare(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ++settings.CycleLength;
    SettingsSaveResult saved = SaveSettings(settings);
    if (!saved.ok) {
      state.SkipWithError("a save failed");
      break;
    }
  }
}
BENCHMARK(BM_SaveSettings)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

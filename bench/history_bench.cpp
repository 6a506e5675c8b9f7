// The period history's own work for a history of 1000 starts, each recorded by an operation
// of its own: reading the file (open, checks, every operation), listing the starts, and the
// views (the box's text with its 1000 locale dates, the CSV, the JSON document).
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "history/history_file.h"
#include "history/history_views.h"
#include "platform/dates/civil_days.h"

namespace {

constexpr int kStarts = 1000;

PeriodHistory Made() {
  PeriodHistory history;
  history.Reconcile(StoredSettings{},
                    HistoryStamp{"2100-01-01T09:00:00", HistorySource::kWindow, "", ""});
  std::int64_t day = civil::CivilDaysFrom(2000, 1, 1);
  for (int i = 0; i < kStarts; ++i) {
    day += 26 + i % 7;
    history.Record(Recording{day, 9 * 3600000},
                   HistoryStamp{"2100-01-01T09:00:00", HistorySource::kWindow, "", ""});
  }
  return history;
}

// The history written to a file in a scratch folder, removed at exit.
const std::string& HistoryPath() {
  static const std::string path = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "cyclune-bench-XXXXXX");
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    const std::string file = folder + "/history.sqlite";
    PeriodHistory history = Made();
    HistoryFile* handle = nullptr;
    std::string problem;
    if (OpenHistoryFile(file, true, &handle, &problem) != HistoryOpen::kOpened ||
        !CommitHistoryChange(handle, history.TakeChange(), &problem)) {
      std::abort();
    }
    CloseHistoryFile(handle);
    std::atexit(
        [] { std::filesystem::remove_all(std::filesystem::path(HistoryPath()).parent_path()); });
    return file;
  }();
  return path;
}

void BM_ReadHistoryFile(benchmark::State& state) {
  for (auto _ : state) {
    HistoryFile* file = nullptr;
    std::string problem;
    std::vector<HistoryOperation> operations;
    OpenHistoryFile(HistoryPath(), false, &file, &problem);
    ReadHistoryOperations(file, &operations, &problem);
    CloseHistoryFile(file);
    benchmark::DoNotOptimize(operations.data());
  }
}
BENCHMARK(BM_ReadHistoryFile);

void BM_ListStarts(benchmark::State& state) {
  const PeriodHistory history = Made();
  for (auto _ : state) benchmark::DoNotOptimize(history.Starts());
}
BENCHMARK(BM_ListStarts);

void BM_HistoryText(benchmark::State& state) {
  const std::vector<ListedStart> starts = Made().Starts();
  for (auto _ : state) benchmark::DoNotOptimize(HistoryText(starts));
}
BENCHMARK(BM_HistoryText);

void BM_HistoryCsv(benchmark::State& state) {
  const std::vector<ListedStart> starts = Made().Starts();
  for (auto _ : state) benchmark::DoNotOptimize(HistoryCsv(starts));
}
BENCHMARK(BM_HistoryCsv);

void BM_HistoryJson(benchmark::State& state) {
  const PeriodHistory history = Made();
  for (auto _ : state) benchmark::DoNotOptimize(HistoryJson(history));
}
BENCHMARK(BM_HistoryJson);

}  // namespace

// Date stepping and day classification. AddDays must take the same time for every count, far
// below the day-by-day stepping that defines it; a whole month classified (all three functions
// for every day of a 31-day month) must stay within 50 us with the initial settings and with
// CycleLength 10^6, and within 2 ms with CycleLength 1.
#include <benchmark/benchmark.h>

#include <climits>
#include <cstdint>

#include "model/calendar.h"
#include "model/cycle.h"

namespace {

const LocalDateTime LastPeriod{CivilDay(2024, 3, 1), 9, 30};

void BM_AddDays(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  LocalDateTime date = LastPeriod;
  for (auto _ : state) {
    benchmark::DoNotOptimize(date);
    LocalDateTime result = AddDays(date, n);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_AddDays)->Arg(14)->Arg(400)->Arg(1000000)->Arg(INT_MAX);

void BM_SubtractDays(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  LocalDateTime date = LastPeriod;
  for (auto _ : state) {
    benchmark::DoNotOptimize(date);
    LocalDateTime result = SubtractDays(date, n);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_SubtractDays)->Arg(14)->Arg(400)->Arg(1000000)->Arg(INT_MAX);

// The definition of AddDays, NextDay n times: the reference the fast form is measured against.
void BM_AddDaysByStepping(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  for (auto _ : state) {
    LocalDateTime date = LastPeriod;
    for (std::int32_t i = 0; i < n; ++i) date = NextDay(date);
    benchmark::DoNotOptimize(date);
  }
}
BENCHMARK(BM_AddDaysByStepping)->Arg(14)->Arg(400);

// range(0): CycleLength. range(1): 0 for March 2024, the month of the last period, where most
// days match early in the scan; 1 for May 2025, past every prediction, where every scan runs to
// its end.
void BM_ClassifyMonth(benchmark::State& state) {
  CycleSettings cycle;
  cycle.CycleLength = static_cast<std::int32_t>(state.range(0));
  cycle.LastPeriod = LastPeriod;
  cycle.LastPeriodKnown = true;
  const CivilDay month = state.range(1) == 0 ? CivilDay(2024, 3, 15) : CivilDay(2025, 5, 15);
  for (auto _ : state) {
    std::int32_t sum = 0;
    for (std::int32_t day = 1; day <= 31; ++day) {
      sum += FertilityLevel(cycle, month, day) + (IsBoyWindow(cycle, month, day) ? 1 : 0) +
             CriticalLevel(cycle, month, day);
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ClassifyMonth)
    ->ArgNames({"cycle", "past"})
    ->ArgsProduct({{28, 1, 1000000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

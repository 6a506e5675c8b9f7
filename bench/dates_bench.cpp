// Date services: tick conversions and the locale date formatter, in English.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>

#include "platform/dates/dateformat.h"
#include "platform/dates/datetime.h"

namespace {

LocalDateTime Day(int i) {
  // Spread over many years so the conversions see varied dates.
  return LocalDateTime{CivilDay(1900 + i * 7 % 300, 1 + i % 12, 1 + i % 28), i % 24, 30, 15, 250};
}

void UseEnglish() {
  setenv("LC_ALL", "en_US.UTF-8", 1);
  ResetDateFormatLocale();
}

void BM_TicksOf(benchmark::State& state) {
  LocalDateTime dates[64];
  for (int i = 0; i < 64; ++i) dates[i] = Day(i);
  int i = 0;
  for (auto _ : state) benchmark::DoNotOptimize(TicksOf(dates[i++ & 63]));
}
BENCHMARK(BM_TicksOf);

void BM_LocalDateTimeOfTicks(benchmark::State& state) {
  std::uint64_t ticks[64];
  for (int i = 0; i < 64; ++i) ticks[i] = TicksOf(Day(i));
  int i = 0;
  for (auto _ : state) {
    const LocalDateTime date = LocalDateTimeOfTicks(ticks[i++ & 63]);
    benchmark::DoNotOptimize(date);
  }
}
BENCHMARK(BM_LocalDateTimeOfTicks);

void BM_FormatMonthTitle(benchmark::State& state) {
  UseEnglish();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatDatePicture(Day(i++ & 63).date, u"MMMM yyyy"));
  }
}
BENCHMARK(BM_FormatMonthTitle);

void BM_FormatLongDate(benchmark::State& state) {
  UseEnglish();
  int i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatDate(Day(i++ & 63).date, DateStyle::kLong));
  }
}
BENCHMARK(BM_FormatLongDate);

// The texts of one month view paint: the title and the seven weekday names.
void BM_FormatMonthViewPaint(benchmark::State& state) {
  UseEnglish();
  for (auto _ : state) {
    benchmark::DoNotOptimize(FormatDatePicture(CivilDay(2024, 9, 12), u"MMMM yyyy"));
    for (int i = 0; i < 7; ++i) {
      benchmark::DoNotOptimize(FormatDatePicture(CivilDay(1995, 1, i + 1), u"ddd"));
    }
  }
}
BENCHMARK(BM_FormatMonthViewPaint);

// The first call after a locale change builds the formatter.
void BM_FormatLongDateUncached(benchmark::State& state) {
  setenv("LC_ALL", "en_US.UTF-8", 1);
  const CivilDay d = Day(5).date;
  for (auto _ : state) {
    ResetDateFormatLocale();
    benchmark::DoNotOptimize(FormatDate(d, DateStyle::kLong));
  }
}
BENCHMARK(BM_FormatLongDateUncached);

}  // namespace

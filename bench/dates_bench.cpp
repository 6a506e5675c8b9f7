// Date services: tick conversions and the locale date formatter, in English.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/dates/dateformat.h"
#include "platform/dates/datetime.h"

namespace {

SYSTEMTIME Day(int i) {
  // Spread over many years so the conversions see varied dates.
  return SYSTEMTIME{static_cast<WORD>(1900 + i * 7 % 300),
                    static_cast<WORD>(1 + i % 12),
                    0,
                    static_cast<WORD>(1 + i % 28),
                    static_cast<WORD>(i % 24),
                    30,
                    15,
                    250};
}

void UseEnglish() {
  setenv("LC_ALL", "en_US.UTF-8", 1);
  ResetDateFormatLocale();
}

void BM_SystemTimeToFileTime(benchmark::State& state) {
  SYSTEMTIME dates[64];
  for (int i = 0; i < 64; ++i) dates[i] = Day(i);
  FILETIME ticks{};
  int i = 0;
  for (auto _ : state) {
    SystemTimeToFileTime(&dates[i++ & 63], &ticks);
    benchmark::DoNotOptimize(ticks);
  }
}
BENCHMARK(BM_SystemTimeToFileTime);

void BM_FileTimeToSystemTime(benchmark::State& state) {
  FILETIME ticks[64];
  for (int i = 0; i < 64; ++i) {
    const SYSTEMTIME d = Day(i);
    SystemTimeToFileTime(&d, &ticks[i]);
  }
  SYSTEMTIME date{};
  int i = 0;
  for (auto _ : state) {
    FileTimeToSystemTime(&ticks[i++ & 63], &date);
    benchmark::DoNotOptimize(date);
  }
}
BENCHMARK(BM_FileTimeToSystemTime);

void BM_FormatMonthTitle(benchmark::State& state) {
  UseEnglish();
  char16_t title[20];
  int i = 0;
  for (auto _ : state) {
    const SYSTEMTIME d = Day(i++ & 63);
    benchmark::DoNotOptimize(GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &d, u"MMMM yyyy", title, 20));
  }
}
BENCHMARK(BM_FormatMonthTitle);

void BM_FormatLongDate(benchmark::State& state) {
  UseEnglish();
  char16_t caption[30];
  int i = 0;
  for (auto _ : state) {
    const SYSTEMTIME d = Day(i++ & 63);
    benchmark::DoNotOptimize(
        GetDateFormatW(LOCALE_SYSTEM_DEFAULT, DATE_LONGDATE, &d, nullptr, caption, 30));
  }
}
BENCHMARK(BM_FormatLongDate);

// The texts of one month view paint: the title and the seven weekday names.
void BM_FormatMonthViewPaint(benchmark::State& state) {
  UseEnglish();
  char16_t title[20];
  char16_t weekday[20];
  for (auto _ : state) {
    const SYSTEMTIME month{2024, 9, 0, 12, 0, 0, 0, 0};
    benchmark::DoNotOptimize(
        GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &month, u"MMMM yyyy", title, 20));
    for (WORD i = 0; i < 7; ++i) {
      const SYSTEMTIME day{1995, 1, i, static_cast<WORD>(i + 1), 0, 0, 0, 0};
      benchmark::DoNotOptimize(GetDateFormatW(LOCALE_SYSTEM_DEFAULT, 0, &day, u"ddd", weekday, 20));
    }
  }
}
BENCHMARK(BM_FormatMonthViewPaint);

// The first call after a locale change builds the formatter.
void BM_FormatLongDateUncached(benchmark::State& state) {
  setenv("LC_ALL", "en_US.UTF-8", 1);
  char16_t caption[30];
  const SYSTEMTIME d = Day(5);
  for (auto _ : state) {
    ResetDateFormatLocale();
    benchmark::DoNotOptimize(
        GetDateFormatW(LOCALE_SYSTEM_DEFAULT, DATE_LONGDATE, &d, nullptr, caption, 30));
  }
}
BENCHMARK(BM_FormatLongDateUncached);

}  // namespace

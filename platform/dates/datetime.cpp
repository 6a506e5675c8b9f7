#include "platform/dates/datetime.h"

#include <ctime>
#include <mutex>
#include <optional>

#include "platform/dates/civil_days.h"

namespace {

constexpr std::uint64_t kTicksPerMillisecond = 10000;
constexpr std::uint64_t kTicksPerDay = 864000000000;
constexpr std::int64_t kDay1601 = civil::CivilDaysFrom(1601, 1, 1);  // -134774
constexpr std::int64_t kDayYear0 = civil::CivilDaysFrom(0, 1, 1);    // -719528

// Ticks of 0000-01-01 00:00, negative, in two's complement: the start of the 2^64-tick span
// in which FileTimeToSystemTime reads every count.
constexpr std::uint64_t kTicksYear0 =
    static_cast<std::uint64_t>(kDayYear0 - kDay1601) * kTicksPerDay;  // 2^64 - 584754 days

std::mutex clock_mutex;
std::optional<SYSTEMTIME> fixed_now;  // guarded by clock_mutex

bool IsValidDateTime(const SYSTEMTIME& t) {
  return t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= civil::LastDayOfMonth(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 &&
         t.wSecond < 60 && t.wMilliseconds < 1000;
}

WORD WeekdayOfDate(const SYSTEMTIME& t) {
  return static_cast<WORD>(civil::WeekdayOf(civil::CivilDaysFrom(t.wYear, t.wMonth, t.wDay)));
}

// Date fields of a day count from 1970-01-01 plus a time of day in milliseconds.
SYSTEMTIME RecordOf(std::int64_t days, std::uint64_t ms_of_day) {
  const civil::CivilDate date = civil::CivilDateOf(days);
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(date.year);
  t.wMonth = static_cast<WORD>(date.month);
  t.wDay = static_cast<WORD>(date.day);
  t.wDayOfWeek = static_cast<WORD>(civil::WeekdayOf(days));
  t.wHour = static_cast<WORD>(ms_of_day / 3600000);       // [0, 23]
  t.wMinute = static_cast<WORD>(ms_of_day / 60000 % 60);  // [0, 59]
  t.wSecond = static_cast<WORD>(ms_of_day / 1000 % 60);   // [0, 59]
  t.wMilliseconds = static_cast<WORD>(ms_of_day % 1000);  // [0, 999]
  return t;
}

SYSTEMTIME ReadClock() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const auto ms = static_cast<WORD>(now.tv_nsec / 1000000);  // [0, 999]
  tm local{};
  if (localtime_r(&now.tv_sec, &local) == nullptr) {
    // No time-zone data for this instant: UTC is the best remaining guess.
    const std::int64_t secs = now.tv_sec;
    const std::int64_t days = (secs >= 0 ? secs : secs - 86399) / 86400;
    const auto sec_of_day = static_cast<std::uint64_t>(secs - days * 86400);  // [0, 86399]
    return RecordOf(days, sec_of_day * 1000 + ms);
  }
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(local.tm_year + 1900);
  t.wMonth = static_cast<WORD>(local.tm_mon + 1);
  t.wDayOfWeek = static_cast<WORD>(local.tm_wday);
  t.wDay = static_cast<WORD>(local.tm_mday);
  t.wHour = static_cast<WORD>(local.tm_hour);
  t.wMinute = static_cast<WORD>(local.tm_min);
  // A leap second (tm_sec 60) would make a record that the conversions reject.
  t.wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
  t.wMilliseconds = ms;
  return t;
}

}  // namespace

void GetLocalTime(SYSTEMTIME* now) {
  if (now == nullptr) return;
  {
    const std::lock_guard<std::mutex> lock(clock_mutex);
    if (fixed_now) {
      *now = *fixed_now;
      return;
    }
  }
  *now = ReadClock();
}

BOOL SetFixedLocalTime(const SYSTEMTIME* fixed) {
  const std::lock_guard<std::mutex> lock(clock_mutex);
  if (fixed == nullptr) {
    fixed_now.reset();
    return TRUE;
  }
  if (!IsValidDateTime(*fixed)) return FALSE;
  SYSTEMTIME t = *fixed;
  t.wDayOfWeek = WeekdayOfDate(t);
  fixed_now = t;
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* date, FILETIME* ticks) {
  if (date == nullptr || ticks == nullptr || !IsValidDateTime(*date)) return FALSE;
  const std::int64_t date_day = civil::CivilDaysFrom(date->wYear, date->wMonth, date->wDay);
  const std::int64_t days = date_day - kDay1601;  // [-584754, 23351777]
  const std::uint64_t ms_of_day =
      ((date->wHour * 60ULL + date->wMinute) * 60 + date->wSecond) * 1000 +
      date->wMilliseconds;  // [0, 86399999]
  // Unsigned arithmetic wraps modulo 2^64, which is exactly the documented encoding for
  // dates before 1601 (negative) and after 2^64 ticks (wrapped).
  const std::uint64_t count =
      static_cast<std::uint64_t>(days) * kTicksPerDay + ms_of_day * kTicksPerMillisecond;
  ticks->dwLowDateTime = static_cast<DWORD>(count & 0xFFFFFFFFu);
  ticks->dwHighDateTime = static_cast<DWORD>(count >> 32);
  return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* ticks, SYSTEMTIME* date) {
  if (ticks == nullptr || date == nullptr) return FALSE;
  const std::uint64_t count =
      (static_cast<std::uint64_t>(ticks->dwHighDateTime) << 32) | ticks->dwLowDateTime;
  const std::uint64_t since_year0 = count - kTicksYear0;  // [0, 2^64 - 1]
  const std::uint64_t days = since_year0 / kTicksPerDay;  // [0, 21350398]
  const std::uint64_t ms_of_day =
      since_year0 % kTicksPerDay / kTicksPerMillisecond;  // [0, 86399999]
  *date = RecordOf(static_cast<std::int64_t>(days) + kDayYear0, ms_of_day);
  return TRUE;
}

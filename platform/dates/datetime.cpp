#include "platform/dates/datetime.h"

#include <ctime>
#include <mutex>
#include <optional>

namespace {

constexpr std::uint64_t kTicksPerMillisecond = 10000;
constexpr std::uint64_t kTicksPerDayUnsigned = TicksPerDay;
constexpr std::int64_t kDay1601 = civil::CivilDaysFrom(1601, 1, 1);  // -134774
constexpr std::int64_t kDayYear0 = civil::CivilDaysFrom(0, 1, 1);    // -719528

// Ticks of 0000-01-01 00:00, negative, in two's complement: the start of the 2^64-tick span
// in which LocalDateTimeOfTicks reads every count.
constexpr std::uint64_t kTicksYear0 =
    static_cast<std::uint64_t>(kDayYear0 - kDay1601) * kTicksPerDayUnsigned;  // 2^64 - 584754 d

std::mutex clock_mutex;
std::optional<LocalDateTime> fixed_now;  // guarded by clock_mutex

// A day count from 1970-01-01 plus a time of day in milliseconds.
LocalDateTime DateTimeOf(std::int64_t days, std::uint64_t ms_of_day) {
  LocalDateTime t;
  t.date = CivilDay::FromCount(days);
  t.hour = static_cast<std::int32_t>(ms_of_day / 3600000);       // [0, 23]
  t.minute = static_cast<std::int32_t>(ms_of_day / 60000 % 60);  // [0, 59]
  t.second = static_cast<std::int32_t>(ms_of_day / 1000 % 60);   // [0, 59]
  t.millisecond = static_cast<std::int32_t>(ms_of_day % 1000);   // [0, 999]
  return t;
}

LocalDateTime ReadClock() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  const auto ms = static_cast<std::int32_t>(now.tv_nsec / 1000000);  // [0, 999]
  tm local{};
  if (localtime_r(&now.tv_sec, &local) == nullptr) {
    // No time-zone data for this instant: UTC is the best remaining guess.
    const std::int64_t secs = now.tv_sec;
    const std::int64_t days = (secs >= 0 ? secs : secs - 86399) / 86400;
    const auto sec_of_day = static_cast<std::uint64_t>(secs - days * 86400);  // [0, 86399]
    return DateTimeOf(days, sec_of_day * 1000 + static_cast<std::uint64_t>(ms));
  }
  LocalDateTime t;
  t.date = CivilDay(local.tm_year + 1900LL, local.tm_mon + 1, local.tm_mday);
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  // A leap second (tm_sec 60) would make a time of day that the conversions reject.
  t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  t.millisecond = ms;
  return t;
}

}  // namespace

LocalDateTime LocalNow() {
  {
    const std::lock_guard<std::mutex> lock(clock_mutex);
    if (fixed_now) return *fixed_now;
  }
  return ReadClock();
}

bool FixLocalClock(const LocalDateTime& fixed) {
  if (!IsValidTimeOfDay(fixed)) return false;
  const std::lock_guard<std::mutex> lock(clock_mutex);
  fixed_now = fixed;
  return true;
}

void UseRealLocalClock() {
  const std::lock_guard<std::mutex> lock(clock_mutex);
  fixed_now.reset();
}

std::uint64_t TicksOf(const LocalDateTime& time) {
  const std::int64_t days = time.date.count() - kDay1601;
  const auto ms_of_day = static_cast<std::uint64_t>(MillisecondOfDay(time));  // [0, 86399999]
  // Unsigned arithmetic wraps modulo 2^64, which is exactly the documented encoding for
  // dates before 1601 (negative) and after 2^64 ticks (wrapped).
  return static_cast<std::uint64_t>(days) * kTicksPerDayUnsigned + ms_of_day * kTicksPerMillisecond;
}

LocalDateTime LocalDateTimeOfTicks(std::uint64_t ticks) {
  const std::uint64_t since_year0 = ticks - kTicksYear0;          // [0, 2^64 - 1]
  const std::uint64_t days = since_year0 / kTicksPerDayUnsigned;  // [0, 21350398]
  const std::uint64_t ms_of_day =
      since_year0 % kTicksPerDayUnsigned / kTicksPerMillisecond;  // [0, 86399999]
  return DateTimeOf(static_cast<std::int64_t>(days) + kDayYear0, ms_of_day);
}

#include "report/day_report.h"

#include <cstdint>
#include <limits>

#include "model/calendar.h"
#include "model/cycle.h"
#include "platform/dates/dateformat.h"
#include "platform/dates/datetime.h"

namespace {

struct SignRange {
  const char16_t* sign;
  std::int32_t from_month;
  std::int32_t from_day;
  std::int32_t to_month;
  std::int32_t to_day;
};

// Scanned in this order; the first range that holds the day names it.
constexpr SignRange kWesternSigns[] = {
    {u"Capricorn", 12, 22, 1, 19}, {u"Sagittarius", 11, 22, 12, 21}, {u"Scorpio", 10, 24, 11, 21},
    {u"Libra", 9, 23, 10, 23},     {u"Virgo", 8, 23, 9, 22},         {u"Leo", 7, 23, 8, 22},
    {u"Cancer", 6, 22, 7, 22},     {u"Gemini", 5, 21, 6, 21},        {u"Taurus", 4, 20, 5, 20},
    {u"Aries", 3, 21, 4, 19},      {u"Pisces", 2, 19, 3, 20},
};

// Indexed by year mod 12.
constexpr const char16_t* kAnimals[12] = {
    u"Monkey", u"Chicken", u"Dog",    u"Pig",   u"Rat",   u"Ox",
    u"Tiger",  u"Rabbit",  u"Dragon", u"Snake", u"Horse", u"Ram",
};

// Whole days that a tick difference can hold without overflowing 63 bits.
constexpr std::int64_t kMaxTickDays = std::numeric_limits<std::int64_t>::max() / TicksPerDay;

struct StatusLines {
  const char16_t* status;
  const char16_t* hint;
};

// The first rule that holds decides, so a menstrual day is critical even inside a fertile window.
StatusLines DayStatus(const CycleSettings& cycle, CivilDay date) {
  const std::int32_t day = date.day();
  if (CriticalLevel(cycle, date, day) != 0) return {u"Critical day", u"Recommended to abstain"};
  const std::int32_t fertility = FertilityLevel(cycle, date, day);
  if (fertility == 2) return {u"Most fertile day", u"Good chance to conceive a boy"};
  if (fertility == 1) {
    return {u"Fertile day", IsBoyWindow(cycle, date, day) ? u"Good chance to conceive a boy"
                                                          : u"Good chance to conceive a girl"};
  }
  return {u"Non-fertile day", u"Not likely to conceive"};
}

void AppendLine(std::u16string& text, const char16_t* label, const std::u16string& value) {
  text += label;
  text += value;
  text += u"\r\n";
}

}  // namespace

const char16_t* WesternZodiacSign(std::int32_t month, std::int32_t day) {
  for (const SignRange& range : kWesternSigns) {
    if ((month == range.from_month && day >= range.from_day) ||
        (month == range.to_month && day <= range.to_day)) {
      return range.sign;
    }
  }
  return u"Aquarius";
}

std::u16string ChineseZodiacAnimal(std::int32_t year, std::int32_t month, std::int32_t day) {
  int row = year % 12;  // [0, 11]
  if (month == 1 && day <= 9) return kAnimals[row == 0 ? 11 : row - 1];
  if ((month == 1 && day >= 10) || (month == 2 && day <= 19)) {
    std::u16string both = kAnimals[row == 0 ? 11 : row - 1];
    both += u"/";
    both += kAnimals[row];
    return both;
  }
  return kAnimals[row];
}

std::int64_t DueDateOffset(std::int64_t days_since_last_period, std::int32_t cycle_length) {
  const std::int64_t v = days_since_last_period;
  if (cycle_length == 0) {
    // The whole interval is the place in the cycle. Due dates repeat every 65536 years, so
    // reducing by that many days changes no date and keeps 280 - r in range for any count.
    return 280 - v % DaysInYearCycle;
  }
  const std::int64_t length = cycle_length;
  // A length of -1 divides every count evenly; skipping it avoids INT64_MIN / -1.
  const std::int64_t r = length == -1 ? 0 : v - length * (v / length);  // |r| < 2^31
  return 280 - r;
}

LocalDateTime DueDate(const LocalDateTime& selected, std::int64_t offset) {
  // The tick sum names the due date wherever the platform's tick count holds both instants
  // (from year 0 into year 58455). Beyond that the count wraps into another date, which the
  // day numbers give away; calendar arithmetic then gives the date the ticks could not.
  if (offset >= -kMaxTickDays && offset <= kMaxTickDays) {
    const LocalDateTime due =
        LocalDateTimeOfTicks(TicksOf(selected) + static_cast<std::uint64_t>(offset * TicksPerDay));
    if (DayNumber(due.date) == DayNumber(selected.date) + offset &&
        MillisecondOfDay(due) == MillisecondOfDay(selected)) {
      return due;
    }
  }
  return ShiftDays(selected, offset);
}

std::u16string ReportDateText(CivilDay date) {
  // A caption or due date must never come out empty merely because a locale's long date
  // (or a five-digit year) is too wide for the 29 units that a date may take.
  for (const DateStyle style : {DateStyle::kLong, DateStyle::kMedium, DateStyle::kShort}) {
    std::u16string text = FormatDate(date, style);
    if (!text.empty() && text.size() < kLongDateCapacity) return text;
  }
  return {};
}

DayReport ComposeDayReport(const CycleSettings& cycle, const LocalDateTime& selected) {
  DayReport report;
  report.caption = ReportDateText(selected.date);
  if (!cycle.LastPeriodKnown) {
    report.text = u"Please set last period";
    return report;
  }

  const StatusLines status = DayStatus(cycle, selected.date);
  report.text += status.status;
  report.text += u"\r\n";
  report.text += status.hint;
  report.text += u"\r\n";

  const std::int64_t days = DaysBetween(cycle.LastPeriod, selected);
  const CivilDay due = DueDate(selected, DueDateOffset(days, cycle.CycleLength)).date;
  AppendLine(report.text, u"Possible Due Date: ", ReportDateText(due));
  AppendLine(report.text, u"Western Zodiac: ", WesternZodiacSign(due.month(), due.day()));
  AppendLine(report.text, u"Chinese Zodiac: ",
             ChineseZodiacAnimal(due.year(), due.month(), due.day()));
  return report;
}

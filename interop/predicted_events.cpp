#include "interop/predicted_events.h"

#include <algorithm>
#include <optional>

#include "model/calendar.h"
#include "model/cycle.h"
#include "view/day_class.h"

namespace {

// Months are counted as year x 12 + month - 1 over the 65536 years of the date record.
constexpr std::int64_t kMonthsInCycle = std::int64_t{65536} * 12;
constexpr std::int64_t kFirstWritableMonth = kFirstWritableYear * 12;     // January
constexpr std::int64_t kLastWritableMonth = kLastWritableYear * 12 + 10;  // November

struct MonthSpan {
  std::int64_t first;
  std::int64_t last;
};

std::int64_t MonthOfDay(std::int64_t day) {
  const CivilDay date = ShiftDays(LocalDateTime{CivilDay(0, 1, 1)}, day % DaysInYearCycle).date;
  return std::int64_t{date.year()} * 12 + date.month() - 1;  // [0, kMonthsInCycle)
}

// The writable months that the day ranges touch, merged and in ascending order; `cut` is
// set when a range reaches beyond the writable years.
std::vector<MonthSpan> MonthsToSearch(const std::vector<DayRange>& ranges, bool* cut) {
  std::vector<MonthSpan> spans;
  auto add = [&](std::int64_t first, std::int64_t last) {
    if (first < kFirstWritableMonth || last > kLastWritableMonth) *cut = true;
    first = std::max(first, kFirstWritableMonth);
    last = std::min(last, kLastWritableMonth);
    if (first <= last) spans.push_back(MonthSpan{first, last});
  };
  for (const DayRange& range : ranges) {
    if (range.last - range.first + 1 >= DaysInYearCycle) {
      add(0, kMonthsInCycle - 1);  // every day of every year
      continue;
    }
    const std::int64_t first = MonthOfDay(range.first);
    const std::int64_t last = MonthOfDay(range.last);
    if (range.first % DaysInYearCycle + (range.last - range.first) < DaysInYearCycle) {
      add(first, last);
    } else {  // over the end of year 65535 into year 0
      add(first, kMonthsInCycle - 1);
      add(0, last);
    }
  }
  std::sort(spans.begin(), spans.end(),
            [](const MonthSpan& a, const MonthSpan& b) { return a.first < b.first; });
  std::vector<MonthSpan> merged;
  for (const MonthSpan& span : spans) {
    if (!merged.empty() && span.first <= merged.back().last + 1) {
      merged.back().last = std::max(merged.back().last, span.last);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

// Turns the classes of consecutive days into events.
class EventBuilder {
 public:
  void Day(CivilDay date, DayClass day_class) {
    const bool period = day_class == DayClass::kPeriodStart || day_class == DayClass::kPeriod;
    if (!period || day_class == DayClass::kPeriodStart) Close(&period_);
    if (period) Extend(&period_, EventKind::kPeriod, date);
    const bool fertile = day_class == DayClass::kFertile || day_class == DayClass::kMostFertile;
    if (!fertile) Close(&window_);
    if (fertile) Extend(&window_, EventKind::kFertileWindow, date);
    if (day_class == DayClass::kMostFertile) {
      std::optional<PredictedEvent> day;
      Extend(&day, EventKind::kMostFertileDay, date);
      Close(&day);
    }
  }

  // A gap in the days: what is open ends.
  void Break() {
    Close(&period_);
    Close(&window_);
  }

  std::vector<PredictedEvent> Finish() {
    Break();
    std::stable_sort(events_.begin(), events_.end(),
                     [](const PredictedEvent& a, const PredictedEvent& b) {
                       if (DayNumber(a.first) != DayNumber(b.first)) {
                         return DayNumber(a.first) < DayNumber(b.first);
                       }
                       return a.kind < b.kind;
                     });
    return std::move(events_);
  }

 private:
  void Extend(std::optional<PredictedEvent>* open, EventKind kind, CivilDay date) {
    if (!*open) *open = PredictedEvent{kind, date, date, ++numbers_[static_cast<int>(kind)]};
    (*open)->last = date;
  }
  void Close(std::optional<PredictedEvent>* open) {
    if (*open) events_.push_back(**open);
    open->reset();
  }

  std::vector<PredictedEvent> events_;
  std::optional<PredictedEvent> period_;
  std::optional<PredictedEvent> window_;
  int numbers_[3] = {0, 0, 0};
};

// Classifies every day of the month, as the month view does with nothing selected.
void ClassifyMonth(const CycleSettings& cycle, std::int64_t month, EventBuilder* builder) {
  const auto year = static_cast<std::int32_t>(month / 12);
  const auto month_of_year = static_cast<std::int32_t>(month % 12 + 1);
  const CivilDay first(year, month_of_year, 1);
  const std::int32_t days = DaysInMonth(year, month_of_year);
  for (std::int32_t day = 1; day <= days; ++day) {
    builder->Day(CivilDay(year, month_of_year, day), ClassifyDay(cycle, first, day, 0));
  }
}

}  // namespace

PredictedEvents CollectPredictedEvents(const CycleSettings& cycle) {
  PredictedEvents result;
  if (!cycle.LastPeriodKnown) return result;
  EventBuilder builder;
  std::int64_t left = kMaxEventMonths;
  std::int64_t previous = -2;
  for (const MonthSpan& span : MonthsToSearch(PredictedDayRanges(cycle), &result.cut)) {
    if (span.last - span.first + 1 > left) result.cut = true;
    const std::int64_t last = std::min(span.last, span.first + left - 1);
    for (std::int64_t month = span.first; month <= last; ++month) {
      if (month != previous + 1) builder.Break();
      ClassifyMonth(cycle, month, &builder);
      previous = month;
      --left;
    }
  }
  result.events = builder.Finish();
  return result;
}

void AddRecordedPeriods(const std::vector<RecordedPeriod>& earlier, CivilDay last_period,
                        PredictedEvents* predicted) {
  for (PredictedEvent& event : predicted->events) {
    if (event.kind == EventKind::kPeriod && event.number == 1 && event.first == last_period) {
      event.recorded = true;
    }
  }
  std::vector<PredictedEvent> events;
  int number = 0;
  for (const RecordedPeriod& period : earlier) {
    events.push_back(
        PredictedEvent{EventKind::kRecordedPeriod, period.first, period.last, ++number, true});
  }
  events.insert(events.end(), predicted->events.begin(), predicted->events.end());
  std::stable_sort(events.begin(), events.end(),
                   [](const PredictedEvent& a, const PredictedEvent& b) {
                     return DayNumber(a.first) < DayNumber(b.first);
                   });
  predicted->events = std::move(events);
}

#include "history/period_history.h"

#include <algorithm>
#include <map>
#include <unordered_set>

#include "model/calendar.h"
#include "model/record_period.h"
#include "platform/dates/civil_days.h"

namespace {

constexpr std::int32_t kMsPerSecond = 1000;
constexpr std::int32_t kMsPerMinute = 60 * kMsPerSecond;
constexpr std::int32_t kMsPerHour = 60 * kMsPerMinute;

std::int64_t DayOf(const LocalDateTime& date) { return date.date.count(); }

// The day of the last period the values hold, when they hold one.
std::optional<std::int64_t> LastPeriodDay(const StoredSettings& values) {
  const CycleSettings loaded = LoadedSettings(values);
  if (!loaded.LastPeriodKnown) return std::nullopt;
  return DayOf(loaded.LastPeriod);
}

bool IsLive(const HistoryOperation& operation, const std::unordered_set<std::int64_t>& undone) {
  return operation.kind != OperationKind::kUndo && undone.count(operation.id) == 0;
}

void SortByDay(std::vector<Recording>* starts) {
  std::stable_sort(starts->begin(), starts->end(),
                   [](const Recording& a, const Recording& b) { return a.day < b.day; });
}

// Which of the file's `starts` (by day, one a day) the import adds to the history's `held`
// ones: none after today, none on or before the day the history began with, none it holds.
void SortOut(const std::vector<Recording>& starts, std::int64_t today,
             std::optional<std::int64_t> first_day, const std::vector<Recording>& held,
             ImportMerge* merge) {
  std::unordered_set<std::int64_t> days;
  for (const Recording& start : held) days.insert(start.day);
  for (const Recording& start : starts) {
    if (start.day > today) {
      merge->after_today.push_back(start.day);
    } else if (first_day && start.day <= *first_day) {
      ++merge->before_history;
    } else if (!days.insert(start.day).second) {
      ++merge->already_recorded;
    } else {
      merge->added.push_back(start);
    }
  }
}

// Folds `all` (by day) from `base` into merge->steps; the values after the last.
StoredSettings ReplaySteps(const StoredSettings& base, const std::vector<Recording>& all,
                           ImportMerge* merge) {
  std::unordered_set<std::int64_t> added;
  for (const Recording& start : merge->added) added.insert(start.day);
  StoredSettings values = base;
  for (const Recording& start : all) {
    ImportMerge::Step step;
    step.start = start;
    step.added = added.count(start.day) != 0;
    const CycleSettings loaded = LoadedSettings(values);
    step.interval_known = loaded.LastPeriodKnown;
    if (step.interval_known) step.interval = DaysBetween(loaded.LastPeriod, DateTimeOf(start));
    values = RecordedSettings(values, start);
    step.after = values;
    merge->steps.push_back(step);
  }
  return values;
}

}  // namespace

StoredSettings RecordedSettings(const StoredSettings& before, const Recording& start) {
  const CycleSettings recorded = RecordPeriodOn(LoadedSettings(before), DateTimeOf(start));
  StoredSettings after = before;
  StoredSettingsOf(recorded, &after);  // a start is always a valid date
  return after;
}

LocalDateTime DateTimeOf(const Recording& start) {
  const std::int32_t ms = start.time_ms;
  return LocalDateTime{CivilDay::FromCount(start.day), ms / kMsPerHour, ms / kMsPerMinute % 60,
                       ms / kMsPerSecond % 60, ms % kMsPerSecond};
}

Recording RecordingOf(const LocalDateTime& date) {
  return Recording{DayOf(date), static_cast<std::int32_t>(MillisecondOfDay(date))};
}

PeriodHistory::PeriodHistory(std::vector<HistoryOperation> operations)
    : operations_(std::move(operations)) {}

StoredSettings PeriodHistory::Current() const {
  return operations_.empty() ? StoredSettings{} : operations_.back().after;
}

std::vector<PeriodHistory::Segment> PeriodHistory::Timeline() const {
  std::unordered_set<std::int64_t> undone;
  for (const HistoryOperation& operation : operations_) {
    if (operation.kind == OperationKind::kUndo) undone.insert(operation.target);
  }
  std::vector<Segment> segments;
  for (std::size_t i = 0; i < operations_.size(); ++i) {
    const HistoryOperation& operation = operations_[i];
    if (!IsLive(operation, undone)) continue;
    if (operation.kind == OperationKind::kBase || segments.empty()) {
      segments.push_back(Segment{i, {}});
      if (operation.kind == OperationKind::kBase) continue;
    }
    std::vector<Entry>& entries = segments.back().entries;
    switch (operation.kind) {
      case OperationKind::kRecord:
        entries.push_back(Entry{operation.start, i});
        break;
      case OperationKind::kRemove: {
        auto found = std::find_if(entries.rbegin(), entries.rend(), [&](const Entry& entry) {
          return entry.start.day == operation.start.day;
        });
        if (found != entries.rend()) entries.erase(std::next(found).base());
        break;
      }
      case OperationKind::kImport:
        for (const Recording& start : operation.starts) entries.push_back(Entry{start, i});
        std::stable_sort(entries.begin(), entries.end(),
                         [](const Entry& a, const Entry& b) { return a.start.day < b.start.day; });
        break;
      case OperationKind::kBase:
      case OperationKind::kUndo:
        break;
    }
  }
  return segments;
}

void PeriodHistory::Add(HistoryOperation operation, const HistoryStamp& stamp) {
  const HistoryOperation* last = operations_.empty() ? nullptr : &operations_.back();
  operation.id = last == nullptr ? 1 : last->id + 1;
  if (pending_.added.empty()) {
    std::int64_t batch = 0;
    for (const HistoryOperation& earlier : operations_) batch = std::max(batch, earlier.batch);
    operation.batch = batch + 1;
  } else {
    operation.batch = pending_.added.front().batch;
  }
  operation.recorded_at = stamp.recorded_at;
  operation.source = stamp.source;
  operation.format = stamp.format;
  operation.file = stamp.file;
  operations_.push_back(operation);
  pending_.added.push_back(std::move(operation));
}

void PeriodHistory::Drop(std::int64_t batch) {
  std::erase_if(operations_, [batch](const HistoryOperation& op) { return op.batch == batch; });
  std::erase_if(pending_.added, [batch](const HistoryOperation& op) { return op.batch == batch; });
}

void PeriodHistory::Reconcile(const StoredSettings& file, const HistoryStamp& stamp) {
  if (!operations_.empty() && file != Current()) {
    // The last batch's values before it: what the file held had that write never happened.
    const std::int64_t batch = operations_.back().batch;
    const auto first =
        std::find_if(operations_.begin(), operations_.end(),
                     [batch](const HistoryOperation& op) { return op.batch == batch; });
    if (file == first->before && first != operations_.begin()) {
      pending_.drop_batch = batch;
      Drop(batch);
    }
  }
  if (!operations_.empty() && file == Current()) return;
  HistoryStamp base = stamp;
  base.source = operations_.empty() ? HistorySource::kSettingsFile : HistorySource::kOutside;
  HistoryOperation operation;
  operation.before = operations_.empty() ? file : Current();
  operation.after = file;
  Add(operation, base);
}

void PeriodHistory::EnsureEndsAt(const StoredSettings& values, const HistoryStamp& stamp) {
  if (!operations_.empty() && values == Current()) return;
  HistoryOperation operation;
  operation.before = operations_.empty() ? values : Current();
  operation.after = values;
  HistoryStamp base = stamp;
  base.source = operations_.empty() ? HistorySource::kSettingsFile : HistorySource::kOutside;
  Add(operation, base);
}

void PeriodHistory::Record(const Recording& start, const HistoryStamp& stamp) {
  HistoryOperation operation;
  operation.kind = OperationKind::kRecord;
  operation.start = start;
  operation.before = Current();
  operation.after = RecordedSettings(operation.before, start);
  Add(operation, stamp);
}

bool PeriodHistory::Undo(const HistoryStamp& stamp) {
  std::unordered_set<std::int64_t> undone;
  for (const HistoryOperation& operation : operations_) {
    if (operation.kind == OperationKind::kUndo) undone.insert(operation.target);
  }
  for (auto it = operations_.rbegin(); it != operations_.rend(); ++it) {
    if (!IsLive(*it, undone)) continue;
    if (it->kind == OperationKind::kBase) return false;
    HistoryOperation operation;
    operation.kind = OperationKind::kUndo;
    operation.target = it->id;
    operation.start = it->start;
    operation.before = Current();
    operation.after = it->before;
    Add(operation, stamp);
    return true;
  }
  return false;
}

std::string PeriodHistory::RemovalRefusal(std::int64_t day,
                                          const std::vector<Segment>& segments) const {
  const HistoryOperation& base = operations_[segments.back().base];
  if (LastPeriodDay(base.after) == day) {
    return base.source == HistorySource::kOutside
               ? "is the last period of settings changed outside Cyclune; the values before it "
                 "are not known, so it cannot be taken out"
               : "is the last period your settings held when the history began; the values "
                 "before it are not known, so it cannot be taken out";
  }
  for (const Segment& segment : segments) {
    for (const Entry& entry : segment.entries) {
      if (entry.start.day == day) {
        return "was recorded before the settings file was changed outside Cyclune, so taking "
               "it out could not change the settings";
      }
    }
  }
  return "is not a recorded start";
}

bool PeriodHistory::Remove(std::int64_t day, const HistoryStamp& stamp, std::string* refusal) {
  std::vector<Segment> segments = Timeline();
  if (segments.empty()) {
    *refusal = "is not a recorded start: the history is empty";
    return false;
  }
  Segment& last = segments.back();
  auto found = std::find_if(last.entries.rbegin(), last.entries.rend(),
                            [day](const Entry& entry) { return entry.start.day == day; });
  if (found == last.entries.rend()) {
    *refusal = RemovalRefusal(day, segments);
    return false;
  }
  HistoryOperation operation;
  operation.kind = OperationKind::kRemove;
  operation.start = found->start;
  operation.before = Current();
  last.entries.erase(std::next(found).base());
  operation.after = operations_[last.base].after;
  for (const Entry& entry : last.entries) {
    operation.after = RecordedSettings(operation.after, entry.start);
  }
  Add(operation, stamp);
  return true;
}

ImportMerge PeriodHistory::Import(std::vector<Recording> starts, std::int64_t today,
                                  const HistoryStamp& stamp) {
  ImportMerge merge;
  SortByDay(&starts);
  starts.erase(std::unique(starts.begin(), starts.end(),
                           [](const Recording& a, const Recording& b) { return a.day == b.day; }),
               starts.end());
  const std::vector<Segment> segments = Timeline();
  std::vector<Recording> all;
  StoredSettings base = Current();
  if (!segments.empty()) {
    base = operations_[segments.back().base].after;
    for (const Entry& entry : segments.back().entries) all.push_back(entry.start);
  }
  SortOut(starts, today, LastPeriodDay(base), all, &merge);
  all.insert(all.end(), merge.added.begin(), merge.added.end());
  SortByDay(&all);
  const StoredSettings after = ReplaySteps(base, all, &merge);
  if (merge.added.empty()) return merge;
  HistoryOperation operation;
  operation.kind = OperationKind::kImport;
  operation.before = Current();
  operation.after = after;
  operation.starts = merge.added;
  Add(operation, stamp);
  return merge;
}

HistoryChange PeriodHistory::TakeChange() {
  HistoryChange change = std::move(pending_);
  pending_ = HistoryChange{};
  return change;
}

HistoryChange PeriodHistory::DropBatch(std::int64_t batch) {
  Drop(batch);
  HistoryChange change;
  change.drop_batch = batch;
  return change;
}

std::vector<ListedStart> PeriodHistory::Starts() const {
  const std::vector<Segment> segments = Timeline();
  std::map<std::int64_t, ListedStart> by_day;
  for (std::size_t s = 0; s < segments.size(); ++s) {
    const HistoryOperation& base = operations_[segments[s].base];
    const CycleSettings loaded = LoadedSettings(base.after);
    if (base.kind == OperationKind::kBase && loaded.LastPeriodKnown) {
      ListedStart listed;
      listed.start = RecordingOf(loaded.LastPeriod);
      listed.source = base.source;
      by_day.try_emplace(listed.start.day, listed);
    }
    for (const Entry& entry : segments[s].entries) {
      const HistoryOperation& by = operations_[entry.by];
      ListedStart listed{entry.start, by.source,      by.format,
                         by.file,     by.recorded_at, s + 1 == segments.size()};
      by_day.insert_or_assign(entry.start.day, listed);
    }
  }
  std::vector<ListedStart> starts;
  for (auto it = by_day.rbegin(); it != by_day.rend(); ++it) starts.push_back(it->second);
  return starts;
}

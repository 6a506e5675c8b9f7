#include "history/history_views.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/dates/civil_days.h"
#include "platform/dates/dateformat.h"
#include "platform/text/unicode.h"

namespace {

constexpr int kChartCells = 12;            // the longest bar
constexpr std::size_t kDateCapacity = 80;  // a short date in any locale, terminator included
constexpr int kEighths = 8;

// File names need not be UTF-8: such bytes are shown one character each.
std::u16string Widen(const std::string& text) { return SystemNameText(text); }

std::string Where(const ListedStart& start) {
  switch (start.source) {
    case HistorySource::kSettingsFile:
      return "in the settings when the history began";
    case HistorySource::kOutside:
      return "settings changed outside Cyclune";
    case HistorySource::kWindow:
      return "window";
    case HistorySource::kTerminal:
      return "terminal";
    case HistorySource::kHeadless:
      return "script";
    case HistorySource::kCommandLine:
      return "command line";
    case HistorySource::kImport:
      return "import of " + start.file + " (" + start.format + ")";
    case HistorySource::kReminder:
      return "reminder";
  }
  return "";
}

const char* SourceName(HistorySource source) {
  return kHistorySourceNames[static_cast<int>(source)];
}

std::u16string ShortDate(std::int64_t day) {
  std::u16string date = FormatDate(CivilDay::FromCount(day), DateStyle::kShort);
  if (date.empty() || date.size() >= kDateCapacity) return Widen(IsoDayOf(day));
  return date;
}

std::string Fixed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

std::string Quoted(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

nlohmann::json SettingsJson(const StoredSettings& settings) {
  return {{"CycleLength", settings.CycleLength},
          {"LutealPhase", settings.LutealPhase},
          {"MenstrualDays", settings.MenstrualDays},
          {"LastPeriodHigh", settings.LastPeriodHigh},
          {"LastPeriodLow", settings.LastPeriodLow}};
}

nlohmann::json OperationJson(const HistoryOperation& operation) {
  constexpr const char* kKinds[] = {"base", "record", "undo", "remove", "import"};
  nlohmann::json json{{"id", operation.id},
                      {"kind", kKinds[static_cast<int>(operation.kind)]},
                      {"recorded_at", operation.recorded_at},
                      {"source", SourceName(operation.source)},
                      {"before", SettingsJson(operation.before)},
                      {"after", SettingsJson(operation.after)}};
  if (operation.kind == OperationKind::kRecord || operation.kind == OperationKind::kRemove) {
    json["date"] = IsoDayOf(operation.start.day);
    json["time"] = IsoTimeOf(operation.start.time_ms);
  }
  if (operation.kind == OperationKind::kUndo) json["undoes"] = operation.target;
  if (operation.kind == OperationKind::kImport) {
    json["format"] = operation.format;
    json["file"] = operation.file;
    json["dates"] = nlohmann::json::array();
    for (const Recording& start : operation.starts) json["dates"].push_back(IsoDayOf(start.day));
  }
  return json;
}

}  // namespace

std::string IsoDayOf(std::int64_t day) {
  const civil::CivilDate date = civil::CivilDateOf(day);
  char text[32];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02u", static_cast<long long>(date.year),
                date.month, date.day);
  return text;
}

std::string IsoTimeOf(std::int32_t time_ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", time_ms / 3600000, time_ms / 60000 % 60,
                time_ms / 1000 % 60, time_ms % 1000);
  return text;
}

HistoryStatistics StatisticsOf(const std::vector<ListedStart>& starts) {
  HistoryStatistics statistics;
  for (std::size_t i = 0; i + 1 < starts.size(); ++i) {
    if (statistics.intervals.size() == kStatisticsIntervals) break;
    statistics.intervals.push_back(starts[i].start.day - starts[i + 1].start.day);
  }
  if (statistics.intervals.empty()) return statistics;
  const auto [low, high] =
      std::minmax_element(statistics.intervals.begin(), statistics.intervals.end());
  statistics.shortest = *low;
  statistics.longest = *high;
  double sum = 0;
  for (std::int64_t interval : statistics.intervals) sum += static_cast<double>(interval);
  const auto count = static_cast<double>(statistics.intervals.size());
  statistics.mean = sum / count;
  double squares = 0;
  for (std::int64_t interval : statistics.intervals) {
    const double away = static_cast<double>(interval) - statistics.mean;
    squares += away * away;
  }
  statistics.deviation = std::sqrt(squares / count);
  return statistics;
}

std::u16string BarOf(std::int64_t value, std::int64_t longest, int cells) {
  if (value <= 0 || longest <= 0) return u"";
  // Eighths of a cell, rounded, at least one so that no interval goes without a bar.
  const std::int64_t eighths =
      std::max<std::int64_t>(1, (value * cells * kEighths + longest / 2) / longest);
  std::u16string bar(static_cast<std::size_t>(eighths / kEighths), u'\u2588');
  // U+2589 (seven eighths) down to U+258F (one eighth).
  if (eighths % kEighths != 0) bar += static_cast<char16_t>(0x2590 - eighths % kEighths);
  return bar;
}

std::u16string HistoryText(const std::vector<ListedStart>& starts) {
  if (starts.empty()) return u"No period has been recorded yet.\n";
  std::u16string text = u"Recorded starts, newest first:\n";
  for (std::size_t i = 0; i < starts.size(); ++i) {
    text += ShortDate(starts[i].start.day);
    if (i > 0) {
      text +=
          u"  " + Widen(std::to_string(starts[i - 1].start.day - starts[i].start.day)) + u" days";
    }
    text += u"  " + Widen(Where(starts[i])) + u"\n";
  }
  const HistoryStatistics statistics = StatisticsOf(starts);
  if (statistics.intervals.empty()) return text;
  const std::size_t count = statistics.intervals.size();
  text +=
      u"\nLast " + Widen(std::to_string(count)) + (count == 1 ? u" cycle" : u" cycles") + u":\n";
  text += u"Mean " + Widen(Fixed(statistics.mean)) + u" days\n";
  text += u"Shortest " + Widen(std::to_string(statistics.shortest)) + u", longest " +
          Widen(std::to_string(statistics.longest)) + u" days\n";
  text += u"Standard deviation " + Widen(Fixed(statistics.deviation)) + u" days\n\n";
  for (std::int64_t interval : statistics.intervals) {
    text += BarOf(interval, statistics.longest, kChartCells) + u" " +
            Widen(std::to_string(interval)) + u"\n";
  }
  return text;
}

std::string HistoryJson(const PeriodHistory& history) {
  const std::vector<ListedStart> starts = history.Starts();
  nlohmann::json json{{"starts", nlohmann::json::array()},
                      {"settings", SettingsJson(history.Current())},
                      {"operations", nlohmann::json::array()}};
  for (std::size_t i = 0; i < starts.size(); ++i) {
    nlohmann::json start{{"date", IsoDayOf(starts[i].start.day)},
                         {"time", IsoTimeOf(starts[i].start.time_ms)},
                         {"days_to_next", nullptr},
                         {"source", SourceName(starts[i].source)},
                         {"where", Where(starts[i])}};
    if (i > 0) start["days_to_next"] = starts[i - 1].start.day - starts[i].start.day;
    if (!starts[i].recorded_at.empty()) start["recorded_at"] = starts[i].recorded_at;
    json["starts"].push_back(start);
  }
  const HistoryStatistics statistics = StatisticsOf(starts);
  json["statistics"] = nullptr;
  if (!statistics.intervals.empty()) {
    json["statistics"] = {{"intervals", statistics.intervals},
                          {"mean", statistics.mean},
                          {"shortest", statistics.shortest},
                          {"longest", statistics.longest},
                          {"standard_deviation", statistics.deviation}};
  }
  for (const HistoryOperation& operation : history.operations()) {
    json["operations"].push_back(OperationJson(operation));
  }
  return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string HistoryCsv(const std::vector<ListedStart>& starts) {
  std::string csv = "date,time,days_to_next,source,recorded_at\r\n";
  for (std::size_t i = starts.size(); i-- > 0;) {
    const std::string days =
        i > 0 ? std::to_string(starts[i - 1].start.day - starts[i].start.day) : std::string();
    csv += IsoDayOf(starts[i].start.day) + "," + IsoTimeOf(starts[i].start.time_ms) + "," + days +
           "," + Quoted(Where(starts[i])) + "," + starts[i].recorded_at + "\r\n";
  }
  return csv;
}

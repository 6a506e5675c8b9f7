// What the history shows: the recorded starts newest first with the days to the next start
// and where each was recorded, the statistics of the last 12 intervals, and a bar chart of
// them in block characters; as the text of a message box (and of `cyclune --history`), as one
// JSON document, and as CSV that `cyclune --import` reads back (a date column, and the time
// of day each start was recorded at, so the replay folds the same intervals).
//
// Example:
//   const std::vector<ListedStart> starts = history.Starts();
//   ShowMessageBox(u"History", HistoryText(starts));
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "history/period_history.h"

// The last intervals at most, as the statistics and the chart take them.
inline constexpr std::size_t kStatisticsIntervals = 12;

struct HistoryStatistics {
  std::vector<std::int64_t> intervals;  // days between consecutive starts, newest first
  double mean = 0;
  std::int64_t shortest = 0;
  std::int64_t longest = 0;
  double deviation = 0;  // the population standard deviation
};

// Over the last kStatisticsIntervals intervals of `starts` (newest first, one per day); no
// intervals with fewer than two starts.
HistoryStatistics StatisticsOf(const std::vector<ListedStart>& starts);

// A bar of `value` days against `longest`: up to `cells` block characters, in eighths.
std::u16string BarOf(std::int64_t value, std::int64_t longest, int cells);

// The box's text: lines ended by "\n", dates in the locale's short form.
std::u16string HistoryText(const std::vector<ListedStart>& starts);

// The document of --history=json: the starts, the statistics, the settings now and every
// operation with its values before and after.
std::string HistoryJson(const PeriodHistory& history);

// The CSV of --history=csv: a header, then one line per start, oldest first.
std::string HistoryCsv(const std::vector<ListedStart>& starts);

// YYYY-MM-DD and HH:MM:SS.mmm of a start.
std::string IsoDayOf(std::int64_t day);
std::string IsoTimeOf(std::int32_t time_ms);

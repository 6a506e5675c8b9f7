// Lists of period starts kept by hand or by a script: one YYYY-MM-DD a line, or a CSV file
// with a column named date. Every date listed is a start.
#include <string>

#include "interop/import_csv.h"
#include "interop/import_formats.h"

namespace {

std::string_view TrimmedView(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// A column named `name` (lower case), in any case, spaces around it allowed.
bool IsColumn(std::string_view field, std::string_view name) {
  const std::string_view trimmed = TrimmedView(field);
  if (trimmed.size() != name.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if ((trimmed[i] | 0x20) != name[i]) return false;
  }
  return true;
}

// HH:MM, HH:MM:SS or HH:MM:SS.mmm as milliseconds after midnight.
bool ParseTimeOfDay(std::string_view text, std::int32_t* ms) {
  auto digits = [&text](std::size_t at, std::size_t count, int limit, int* value) {
    if (at + count > text.size()) return false;
    *value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      *value = *value * 10 + (text[i] - '0');
    }
    return *value < limit;
  };
  int hour = 0, minute = 0, second = 0, milli = 0;
  const bool fields = (text.size() == 5 || text.size() == 8 || text.size() == 12) &&
                      digits(0, 2, 24, &hour) && text[2] == ':' && digits(3, 2, 60, &minute);
  if (!fields) return false;
  if (text.size() >= 8 && !(text[5] == ':' && digits(6, 2, 60, &second))) return false;
  if (text.size() == 12 && !(text[8] == '.' && digits(9, 3, 1000, &milli))) return false;
  *ms = ((hour * 60 + minute) * 60 + second) * 1000 + milli;
  return true;
}

}  // namespace

bool IsDateColumn(std::string_view name) { return IsColumn(name, "date"); }

ImportParse ParseDateList(std::string_view text) {
  ImportParse parse;
  parse.format = ImportFormat::kDateList;
  std::size_t line_number = 0;
  for (std::size_t at = 0; at < text.size();) {
    const std::string_view line = TrimmedView(NextLine(text, &at));
    ++line_number;
    if (line.empty() || line[0] == '#') continue;
    ImportDay day;
    std::string why;
    if (!ParseIsoDay(line, &day, &why)) {
      return Broken(ImportFormat::kDateList, "line " + std::to_string(line_number) + ": " + why);
    }
    parse.starts.push_back(day);
  }
  return parse;
}

ImportParse ParseDateColumnCsv(std::string_view text) {
  ImportParse parse;
  parse.format = ImportFormat::kDateColumn;
  CsvCursor cursor{text};
  CsvRecord record;
  std::string error;
  if (NextCsvRecord(&cursor, &record, &error) != CsvStep::kRecord) {
    return Broken(ImportFormat::kDateColumn, error.empty() ? "the file has no header" : error);
  }
  std::size_t column = record.fields.size();
  std::size_t time_column = record.fields.size();
  for (std::size_t i = 0; i < record.fields.size(); ++i) {
    if (column == record.fields.size() && IsDateColumn(record.fields[i])) column = i;
    if (time_column == record.fields.size() && IsColumn(record.fields[i], "time")) time_column = i;
  }
  const bool timed = time_column < record.fields.size();
  if (column == record.fields.size()) {
    return Broken(ImportFormat::kDateColumn, "line 1: the header has no column named date");
  }
  for (CsvStep step; (step = NextCsvRecord(&cursor, &record, &error)) != CsvStep::kEnd;) {
    if (step == CsvStep::kError) return Broken(ImportFormat::kDateColumn, error);
    if (IsBlankRecord(record)) continue;
    const std::string_view cell =
        column < record.fields.size() ? TrimmedView(record.fields[column]) : std::string_view();
    ImportDay day;
    std::string why;
    if (!ParseIsoDay(cell, &day, &why)) {
      return Broken(ImportFormat::kDateColumn, "line " + std::to_string(record.line) + ": " + why);
    }
    parse.starts.push_back(day);
    if (!timed) continue;
    const std::string_view time = time_column < record.fields.size()
                                      ? TrimmedView(record.fields[time_column])
                                      : std::string_view();
    std::int32_t ms = 0;
    if (!ParseTimeOfDay(time, &ms)) {
      return Broken(ImportFormat::kDateColumn, "line " + std::to_string(record.line) +
                                                   ": the time '" + std::string(time) +
                                                   "' is not HH:MM:SS");
    }
    parse.start_times.push_back(ms);
  }
  return parse;
}

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

}  // namespace

bool IsDateColumn(std::string_view name) {
  const std::string_view trimmed = TrimmedView(name);
  if (trimmed.size() != 4) return false;
  for (std::size_t i = 0; i < 4; ++i) {
    if ((trimmed[i] | 0x20) != "date"[i]) return false;
  }
  return true;
}

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
  for (std::size_t i = 0; i < record.fields.size() && column == record.fields.size(); ++i) {
    if (IsDateColumn(record.fields[i])) column = i;
  }
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
  }
  return parse;
}

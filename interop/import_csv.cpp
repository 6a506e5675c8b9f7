#include "interop/import_csv.h"

#include <algorithm>

namespace {

// The line breaks in `part`, a CRLF counted once.
std::size_t LineBreaks(std::string_view part) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < part.size(); ++at) {
    const std::size_t length = LineBreakAt(part, at);
    count += length != 0 ? 1 : 0;
    at += length > 1 ? length - 1 : 0;
  }
  return count;
}

// Reads a quoted field whose opening quote is at cursor->offset.
bool ReadQuoted(CsvCursor* cursor, std::string* field, std::string* error) {
  const std::string_view text = cursor->text;
  const std::size_t first_line = cursor->line;
  std::size_t at = cursor->offset + 1;
  for (;;) {
    const std::size_t quote = text.find('"', at);
    if (quote == std::string_view::npos) {
      *error = "line " + std::to_string(first_line) + ": a quoted field is not closed";
      return false;
    }
    const std::string_view part = text.substr(at, quote - at);
    cursor->line += LineBreaks(part);
    field->append(part);
    if (quote + 1 < text.size() && text[quote + 1] == '"') {
      field->push_back('"');
      at = quote + 2;
      continue;
    }
    at = quote + 1;
    break;
  }
  const bool ends_field = at == text.size() || text[at] == ',' || LineBreakAt(text, at) != 0;
  if (!ends_field) {
    *error = "line " + std::to_string(cursor->line) + ": text after the closing quote of a field";
    return false;
  }
  cursor->offset = at;
  return true;
}

void ReadUnquoted(CsvCursor* cursor, std::string* field) {
  const std::string_view text = cursor->text;
  const std::size_t end = std::min(text.find_first_of(",\r\n", cursor->offset), text.size());
  field->assign(text.substr(cursor->offset, end - cursor->offset));
  cursor->offset = end;
}

}  // namespace

std::size_t LineBreakAt(std::string_view text, std::size_t at) {
  if (at >= text.size()) return 0;
  if (text[at] == '\n') return 1;
  if (text[at] != '\r') return 0;
  return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

std::string_view NextLine(std::string_view text, std::size_t* at) {
  const std::size_t start = std::min(*at, text.size());
  const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
  *at = end + (end < text.size() ? LineBreakAt(text, end) : 1);
  return text.substr(start, end - start);
}

bool NextCsvField(CsvCursor* cursor, std::string* field, bool* last, std::string* error) {
  field->clear();
  if (cursor->offset < cursor->text.size() && cursor->text[cursor->offset] == '"') {
    if (!ReadQuoted(cursor, field, error)) return false;
  } else {
    ReadUnquoted(cursor, field);
  }
  *last = cursor->offset >= cursor->text.size() || cursor->text[cursor->offset] != ',';
  if (!*last) {
    ++cursor->offset;
    return true;
  }
  const std::size_t line_break = LineBreakAt(cursor->text, cursor->offset);
  cursor->offset += line_break;
  cursor->line += line_break != 0 ? 1 : 0;
  return true;
}

CsvStep NextCsvRecord(CsvCursor* cursor, CsvRecord* record, std::string* error) {
  if (cursor->offset >= cursor->text.size()) return CsvStep::kEnd;
  record->line = cursor->line;
  std::size_t count = 0;
  for (bool last = false; !last;) {
    if (count == kMaxCsvFields) {
      *error = "line " + std::to_string(record->line) + ": more than " +
               std::to_string(kMaxCsvFields) + " fields in one record";
      return CsvStep::kError;
    }
    if (record->fields.size() <= count) record->fields.emplace_back();
    if (!NextCsvField(cursor, &record->fields[count++], &last, error)) return CsvStep::kError;
  }
  record->fields.resize(count);
  return CsvStep::kRecord;
}

bool IsBlankRecord(const CsvRecord& record) {
  for (const std::string& field : record.fields) {
    if (!field.empty()) return false;
  }
  return true;
}

#include "interop/import_csv.h"

namespace {

// At a line break (LF or CRLF), its length; 0 elsewhere.
std::size_t LineBreakAt(std::string_view text, std::size_t at) {
  if (at < text.size() && text[at] == '\n') return 1;
  if (at + 1 < text.size() && text[at] == '\r' && text[at + 1] == '\n') return 2;
  return 0;
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
    for (char c : part) cursor->line += c == '\n' ? 1 : 0;
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
  std::size_t at = cursor->offset;
  while (at < text.size() && text[at] != ',' && LineBreakAt(text, at) == 0) ++at;
  field->assign(text.substr(cursor->offset, at - cursor->offset));
  cursor->offset = at;
}

}  // namespace

CsvStep NextCsvRecord(CsvCursor* cursor, CsvRecord* record, std::string* error) {
  if (cursor->offset >= cursor->text.size()) return CsvStep::kEnd;
  record->line = cursor->line;
  std::size_t count = 0;
  for (;;) {
    if (record->fields.size() <= count) record->fields.emplace_back();
    std::string& field = record->fields[count++];
    field.clear();
    if (cursor->offset < cursor->text.size() && cursor->text[cursor->offset] == '"') {
      if (!ReadQuoted(cursor, &field, error)) return CsvStep::kError;
    } else {
      ReadUnquoted(cursor, &field);
    }
    if (cursor->offset < cursor->text.size() && cursor->text[cursor->offset] == ',') {
      ++cursor->offset;
      continue;
    }
    const std::size_t line_break = LineBreakAt(cursor->text, cursor->offset);
    cursor->offset += line_break;
    cursor->line += line_break != 0 ? 1 : 0;
    break;
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

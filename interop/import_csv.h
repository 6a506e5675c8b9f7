// A small CSV reader after RFC 4180: fields separated by commas, records by CRLF or LF, fields
// in double quotes may hold commas, line breaks and doubled quotes (""). Kinder than the RFC
// where files in the wild need it: a quote inside an unquoted field is taken as it stands
// (drip writes `say ""hi""` unquoted), a lone CR is text, and the last record needs no line
// break. Internal to interop/.
//
// Example:
//   CsvCursor cursor{"date,note\r\n2025-09-03,\"a, b\"\r\n"};
//   CsvRecord record;
//   std::string error;
//   while (NextCsvRecord(&cursor, &record, &error) == CsvStep::kRecord) { ... }
//   // {"date", "note"} on line 1, then {"2025-09-03", "a, b"} on line 2
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct CsvRecord {
  std::vector<std::string> fields;
  std::size_t line = 0;  // the line the record starts on, counted from 1
};

struct CsvCursor {
  std::string_view text;
  std::size_t offset = 0;
  std::size_t line = 1;
};

enum class CsvStep { kRecord, kEnd, kError };

// Reads the record at the cursor and moves past it. kEnd at the end of the text; kError with
// *error naming the line ("line 7: a quoted field is not closed") for text that is not CSV.
CsvStep NextCsvRecord(CsvCursor* cursor, CsvRecord* record, std::string* error);

// True for a record of empty fields only (a blank line reads as one empty field).
bool IsBlankRecord(const CsvRecord& record);

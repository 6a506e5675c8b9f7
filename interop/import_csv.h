// A small CSV reader after RFC 4180: fields separated by commas, records by line breaks, fields
// in double quotes may hold commas, line breaks and doubled quotes (""). Kinder than the RFC
// where files in the wild need it: a line break is CRLF, LF or a lone CR (old Mac exports), a
// quote inside an unquoted field is taken as it stands (drip writes `say ""hi""` unquoted), and
// the last record needs no line break. A record holds at most kMaxCsvFields fields, so that the
// memory a record takes stays bounded whatever the text. Internal to interop/.
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

// Far more than any tracker writes (drip: 49), and 32 MiB of empty fields at most.
inline constexpr std::size_t kMaxCsvFields = std::size_t{1} << 20;

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
// *error naming the line ("line 7: a quoted field is not closed") for text that is not CSV or
// a record of more than kMaxCsvFields fields.
CsvStep NextCsvRecord(CsvCursor* cursor, CsvRecord* record, std::string* error);

// Reads one field at the cursor into *field and moves past it and the comma or line break that
// ends it; *last tells whether it was the last field of its record. False with *error as above.
// For a look at a record without keeping all of it.
bool NextCsvField(CsvCursor* cursor, std::string* field, bool* last, std::string* error);

// True for a record of empty fields only (a blank line reads as one empty field).
bool IsBlankRecord(const CsvRecord& record);

// At a line break of `text` (CRLF, LF or a lone CR), its length; 0 elsewhere.
std::size_t LineBreakAt(std::string_view text, std::size_t at);

// The line that starts at *at, without its line break; *at moves to the start of the next.
std::string_view NextLine(std::string_view text, std::size_t* at);

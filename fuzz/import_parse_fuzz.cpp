// Any bytes through the import's format detection and parsers (gzip, SQLite, JSON, CSV, lists):
// no crash or hang, a refusal is one line that says something, and every start given out is a
// real day of the years 1601 to 9999. The CSV reader is also run on its own: it must reach the
// end with its line count never going back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "interop/import_csv.h"
#include "interop/import_parse.h"
#include "model/calendar.h"

namespace {

void Check(bool holds, const char* what) {
  if (!holds) {
    std::fprintf(stderr, "import_parse_fuzz: %s\n", what);
    std::abort();
  }
}

void CheckParse(const ImportParse& parse) {
  if (parse.problem != ImportProblem::kNone) {
    Check(!parse.error.empty(), "a refusal without a reason");
    Check(parse.error.find('\n') == std::string::npos, "a refusal of more than one line");
    Check(parse.starts.empty(), "a refusal with starts");
    return;
  }
  Check(parse.format != ImportFormat::kUnknown, "starts from an unknown format");
  for (const ImportDay& day : parse.starts) {
    Check(day.year >= 1601 && day.year <= 9999, "a start outside 1601-9999");
    Check(day.month >= 1 && day.month <= 12, "a start with no real month");
    Check(day.day >= 1 && day.day <= DaysInMonth(day.year, day.month), "a start with no real day");
  }
}

void CheckCsv(std::string_view text) {
  CsvCursor cursor{text};
  CsvRecord record;
  std::string error;
  std::size_t last_line = 0;
  for (CsvStep step; (step = NextCsvRecord(&cursor, &record, &error)) == CsvStep::kRecord;) {
    Check(record.line > last_line, "a record that does not start on a later line");
    Check(!record.fields.empty(), "a record without fields");
    last_line = record.line;
  }
  Check(cursor.offset <= text.size(), "the reader ran past the end");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  CheckParse(ParseTrackerFile(bytes));
  CheckCsv(bytes);
  return 0;
}

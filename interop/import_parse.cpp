// Recognising a file by its first bytes and handing it to the reader of its format.
#include "interop/import_parse.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "interop/import_csv.h"
#include "interop/import_formats.h"

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kSqliteMagic{"SQLite format 3\0", 16};

bool StartsWith(std::string_view bytes, std::string_view prefix) {
  return bytes.substr(0, prefix.size()) == prefix;
}

bool IsGzip(std::string_view bytes) { return StartsWith(bytes, "\x1F\x8B"); }

// "YYYY-MM-DD" by its shape alone, whether or not the day is real.
bool LooksLikeDate(std::string_view line) {
  const std::size_t end = line.find_last_not_of(" \t\r");
  line = line.substr(0, end == std::string_view::npos ? 0 : end + 1);
  if (line.size() != 10 || line[4] != '-' || line[7] != '-') return false;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u}) {
    if (line[i] < '0' || line[i] > '9') return false;
  }
  return true;
}

// The first line that is neither blank nor a # comment.
std::string_view FirstContentLine(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::string_view line = NextLine(text, &at);
    const std::size_t first = line.find_first_not_of(" \t");
    if (first != std::string_view::npos && line[first] != '#') return line.substr(first);
  }
  return {};
}

// The reader of a CSV text by the names in its header, read one at a time so that a header of
// a million columns costs no more than its bytes; nullptr for a header that names neither
// bleeding.value nor a date column, or that is not CSV.
using CsvReader = ImportParse (*)(std::string_view text);
CsvReader CsvReaderByHeader(std::string_view text) {
  CsvCursor cursor{text};
  std::string name;
  std::string error;
  bool drip = false;
  bool date_column = false;
  for (bool last = false; !last;) {
    if (!NextCsvField(&cursor, &name, &last, &error)) return nullptr;
    drip = drip || name == "bleeding.value";
    date_column = date_column || IsDateColumn(name);
  }
  if (drip) return ParseDripCsv;
  return date_column ? ParseDateColumnCsv : nullptr;
}

ImportParse ParseText(std::string_view text) {
  if (text.find('\0') != std::string_view::npos) {
    return Unrecognised("binary data, not text, JSON, gzip or SQLite");
  }
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return Unrecognised("the file holds nothing but space");
  if (text[first] == '{' || text[first] == '[') return ParseTrackerJson(text);
  if (LooksLikeDate(FirstContentLine(text))) return ParseDateList(text);
  if (const CsvReader reader = CsvReaderByHeader(text)) return reader(text);
  return Unrecognised(
      "text whose first line is neither a date nor a CSV header with a "
      "date column");
}

ImportParse ParseBytes(std::string_view bytes, bool inflated) {
  if (IsGzip(bytes)) {
    if (inflated) return Unrecognised("gzip inside gzip");
    std::string text;
    std::string error;
    bool too_large = false;
    if (!InflateGzip(bytes, kMaxImportBytes, &text, &error, &too_large)) {
      ImportParse parse = Broken(ImportFormat::kUnknown, error);
      if (too_large) {
        parse.problem = ImportProblem::kTooLarge;
        parse.error = "the gzip data expands to more than 64 MiB";
      }
      return parse;
    }
    return ParseBytes(text, true);
  }
  if (StartsWith(bytes, kSqliteMagic)) return ParsePeriodicalDatabase(bytes);
  if (StartsWith(bytes, kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
  return ParseText(bytes);
}

}  // namespace

ImportParse ParseTrackerFile(std::string_view bytes) {
  if (bytes.size() > kMaxImportBytes) {
    ImportParse parse;
    parse.problem = ImportProblem::kTooLarge;
    parse.error = "the file is larger than 64 MiB";
    return parse;
  }
  if (bytes.empty()) return Unrecognised("the file is empty");
  // The readers bound what they keep; should memory run out all the same (a low address-space
  // limit, a machine short of memory), the file is refused rather than the program ended.
  try {
    return ParseBytes(bytes, false);
  } catch (const std::bad_alloc&) {
    return Broken(ImportFormat::kUnknown, "there is not enough memory to read it");
  }
}

const char* ImportFormatName(ImportFormat format) {
  switch (format) {
    case ImportFormat::kDrip:
      return "drip CSV export";
    case ImportFormat::kPeriodicalBackup:
      return "Periodical backup";
    case ImportFormat::kPeriodicalDatabase:
      return "Periodical database (main.db)";
    case ImportFormat::kMensinator:
      return "Mensinator export";
    case ImportFormat::kMenstrudel:
      return "Menstrudel export";
    case ImportFormat::kClue:
      return "Clue measurements";
    case ImportFormat::kDateList:
      return "list of dates";
    case ImportFormat::kDateColumn:
      return "CSV with a date column";
    case ImportFormat::kUnknown:
      break;
  }
  return "file";
}

const char* ImportFormatsTried() {
  return "drip CSV, Periodical backup (.json.gz) or main.db, Mensinator JSON, Menstrudel JSON, "
         "Clue measurements.json, a list of YYYY-MM-DD dates, a CSV with a date column";
}

std::string FormatImportDay(const ImportDay& day) {
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", static_cast<int>(day.year),
                static_cast<int>(day.month), static_cast<int>(day.day));
  return text;
}

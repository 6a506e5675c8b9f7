// Reading the exports and backups of other period trackers: the bytes of a file in, the days on
// which periods start out, found by the rule of the tracker that wrote the file. The format is
// recognised from the content, never from the file name:
//
//   drip            CSV export (date, bleeding.value, bleeding.exclude, ...)
//   Periodical      Periodical-backup.json.gz / backup.json.gz (gzip JSON), raw main.db (SQLite)
//   Mensinator      JSON export ({"periods": [...], "symptoms": ..., ...})
//   Menstrudel      "logs and periods" JSON export ({"periods", "period_logs", ...})
//   Clue            measurements.json ([{"type": "period", "date": ...}, ...])
//   date lists      one YYYY-MM-DD a line, or a CSV with a column named date
//
// Parsing is pure: it reads only its argument, touches no file and no global state, and takes
// time and memory in proportion to the input (a gzip stream is inflated to 64 MiB at most).
//
// Example:
//   ImportParse parse = ParseTrackerFile(bytes);
//   if (parse.problem != ImportProblem::kNone) show parse.error;
//   else record each of parse.starts (any order, maybe repeated)
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// A calendar day, 1601-01-01 to 9999-12-31 for every day a parser gives out.
struct ImportDay {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  friend auto operator<=>(const ImportDay&, const ImportDay&) = default;
};

enum class ImportFormat {
  kUnknown,
  kDrip,
  kPeriodicalBackup,
  kPeriodicalDatabase,
  kMensinator,
  kMenstrudel,
  kClue,
  kDateList,
  kDateColumn,
};

enum class ImportProblem {
  kNone,
  kUnknownFormat,  // none of the formats above
  kBroken,         // a known format, damaged or of an unexpected shape
  kTooLarge,       // over kMaxImportBytes, read or inflated
};

// The most a file may hold, and the most a gzip stream in it may expand to.
inline constexpr std::size_t kMaxImportBytes = std::size_t{64} << 20;

struct ImportParse {
  ImportProblem problem = ImportProblem::kNone;
  ImportFormat format = ImportFormat::kUnknown;  // set once recognised, problems included
  std::vector<ImportDay> starts;                 // file order; may repeat a day
  // The time of day of each start, milliseconds after midnight, where the file gives one (a
  // date column's CSV with a column named time, as Cyclune's own history writes): as many as
  // `starts`, or none.
  std::vector<std::int32_t> start_times;
  std::vector<std::string> notes;  // what was read differently from the tracker, or ignored
  std::string error;               // with a problem: what and where ("line 12: ...")
};

// Recognises the format of `bytes` and finds the period starts in it.
ImportParse ParseTrackerFile(std::string_view bytes);

// The format's name for messages: "drip CSV export", "Periodical backup", ...
const char* ImportFormatName(ImportFormat format);

// Every format tried, for the message about a file that is none of them.
const char* ImportFormatsTried();

// The day as YYYY-MM-DD.
std::string FormatImportDay(const ImportDay& day);

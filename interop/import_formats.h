// The pieces ParseTrackerFile is made of: day parsing, the start rule shared by the trackers
// that group consecutive days, and one parser per format. Internal to interop/.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "interop/import_parse.h"

// --- days ---------------------------------------------------------------------------------

// Reads exactly "YYYY-MM-DD". On failure *why says what is wrong with the text, quoting it:
// "'2025-02-30' is not a real date", "'1500-01-01' is before 1601, ...".
bool ParseIsoDay(std::string_view text, ImportDay* day, std::string* why);

// Reads exactly "yyyyMMdd" (Periodical), with the same checks and messages.
bool ParseCompactDay(std::string_view text, ImportDay* day, std::string* why);

// Days from 1 January of year 0 (the model's day count), for distances between days.
std::int64_t DayIndex(const ImportDay& day);

// The first day of each run of `days` (any order, repeats allowed) in which each day follows
// the one before by at most `max_step` days: 1 when any day without a record ends a period,
// 2 when one such day may sit inside a period.
std::vector<ImportDay> RunStarts(std::vector<ImportDay> days, std::int64_t max_step);

// `text` in single quotes for a message: at most 40 bytes, control characters (and bytes of
// text that is not UTF-8) as '?', so that a message stays one printable line.
std::string Quoted(std::string_view text);

// --- results ------------------------------------------------------------------------------

ImportParse Broken(ImportFormat format, std::string error);
ImportParse Unrecognised(std::string detail);

// --- formats ------------------------------------------------------------------------------

// CSV text whose header names bleeding.value.
ImportParse ParseDripCsv(std::string_view text);

// Lines of YYYY-MM-DD (blank lines and lines starting with # skipped), ended by CRLF, LF or CR.
ImportParse ParseDateList(std::string_view text);

// CSV text whose header has a column named date (any case): each row's date is a start.
ImportParse ParseDateColumnCsv(std::string_view text);

// Whether a CSV header's column is named "date" (any case, spaces around it allowed).
bool IsDateColumn(std::string_view name);

// JSON text (a UTF-8 byte order mark already removed): Periodical's backup, Mensinator's,
// Menstrudel's or Clue's export, told apart by their shapes.
ImportParse ParseTrackerJson(std::string_view text);

// The bytes of a SQLite database: Periodical's main.db, read from memory, never written.
ImportParse ParsePeriodicalDatabase(std::string_view bytes);

// Inflates gzip members one after another into *out. False with *error when the stream is
// damaged or cut short, or with *too_large when it would expand past `limit` bytes.
bool InflateGzip(std::string_view bytes, std::size_t limit, std::string* out, std::string* error,
                 bool* too_large);

// drip's CSV export. drip counts a day as a period start when it has bleeding that is not
// excluded (spotting included) and neither of the two days before it has: one day without
// bleeding may sit inside a period, two end it. Excluded days neither start, join nor bridge
// a period. A date that appears twice takes the later row, as drip's own import does.
#include <algorithm>
#include <array>
#include <string>
#include <unordered_set>

#include "interop/import_csv.h"
#include "interop/import_formats.h"

namespace {

// The columns drip writes, schema version 4 (version 3 lacks mood.*).
constexpr std::array<std::string_view, 49> kDripColumns = {"date",
                                                           "temperature.value",
                                                           "temperature.exclude",
                                                           "temperature.time",
                                                           "temperature.note",
                                                           "bleeding.value",
                                                           "bleeding.exclude",
                                                           "mucus.feeling",
                                                           "mucus.texture",
                                                           "mucus.value",
                                                           "mucus.exclude",
                                                           "cervix.opening",
                                                           "cervix.firmness",
                                                           "cervix.position",
                                                           "cervix.exclude",
                                                           "note.value",
                                                           "desire.value",
                                                           "sex.solo",
                                                           "sex.partner",
                                                           "sex.condom",
                                                           "sex.pill",
                                                           "sex.iud",
                                                           "sex.patch",
                                                           "sex.ring",
                                                           "sex.implant",
                                                           "sex.diaphragm",
                                                           "sex.none",
                                                           "sex.other",
                                                           "sex.note",
                                                           "pain.cramps",
                                                           "pain.ovulationPain",
                                                           "pain.headache",
                                                           "pain.backache",
                                                           "pain.nausea",
                                                           "pain.tenderBreasts",
                                                           "pain.migraine",
                                                           "pain.other",
                                                           "pain.note",
                                                           "mood.happy",
                                                           "mood.sad",
                                                           "mood.stressed",
                                                           "mood.balanced",
                                                           "mood.fine",
                                                           "mood.anxious",
                                                           "mood.energetic",
                                                           "mood.fatigue",
                                                           "mood.angry",
                                                           "mood.other",
                                                           "mood.note"};

constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
constexpr std::size_t kIgnoredNamed = 3;  // columns named in the note; the rest are counted

struct DripColumns {
  std::size_t date = kAbsent;
  std::size_t bleeding = kAbsent;
  std::size_t exclude = kAbsent;
  std::size_t count = 0;
};

struct DripDay {
  ImportDay day;
  bool bleeding = false;
};

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

std::string Lower(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

// The note on the columns drip does not have: the first few by name, the rest counted, so that
// a header of thousands of columns gives a line, not a page.
std::string IgnoredNote(const std::vector<std::string_view>& named, std::size_t count) {
  std::string names;
  for (std::string_view name : named) names += (names.empty() ? "" : ", ") + Quoted(name);
  if (count > named.size()) names += " and " + std::to_string(count - named.size()) + " more";
  return (count == 1 ? "Ignored the column " : "Ignored the columns ") + names +
         ", which drip does not have.";
}

// Finds the three columns we read; names the others as ignored. False on a repeated column.
bool ReadHeader(const CsvRecord& header, DripColumns* columns, ImportParse* parse) {
  columns->count = header.fields.size();
  std::unordered_set<std::string_view> seen;
  std::vector<std::string_view> ignored;
  std::size_t ignored_count = 0;
  for (std::size_t i = 0; i < header.fields.size(); ++i) {
    const std::string& name = header.fields[i];
    if (!seen.insert(name).second) {
      *parse = Broken(ImportFormat::kDrip, "line 1: column " + Quoted(name) + " appears twice");
      return false;
    }
    if (name == "date") columns->date = i;
    if (name == "bleeding.value") columns->bleeding = i;
    if (name == "bleeding.exclude") columns->exclude = i;
    if (std::find(kDripColumns.begin(), kDripColumns.end(), name) == kDripColumns.end()) {
      if (ignored.size() < kIgnoredNamed) ignored.push_back(name);
      ++ignored_count;
    }
  }
  if (ignored_count > 0) parse->notes.push_back(IgnoredNote(ignored, ignored_count));
  if (columns->date == kAbsent) {
    *parse = Broken(ImportFormat::kDrip, "line 1: the header has no date column");
    return false;
  }
  return true;
}

// The cell of `column`, empty past the end of a row: a spreadsheet may drop trailing empty
// cells (and filling them in would cost each row the width of the header).
std::string_view Cell(const std::vector<std::string>& cells, std::size_t column) {
  return column < cells.size() ? std::string_view(cells[column]) : std::string_view();
}

// drip's bleeding values are the integers 0-3; a spreadsheet may have written 2 as 2.0.
bool IsBleedingValue(std::string_view value) {
  if (value.empty() || value[0] < '0' || value[0] > '3') return false;
  return value.size() == 1 ||
         (value[1] == '.' && value.find_first_not_of('0', 2) == std::string_view::npos);
}

// Whether the row has bleeding that counts; false with *why for values drip would refuse.
bool ReadBleeding(const std::vector<std::string>& cells, const DripColumns& columns, bool* bleeding,
                  std::string* why) {
  const std::string value = Trimmed(Cell(cells, columns.bleeding));
  const std::string exclude = Lower(Trimmed(Cell(cells, columns.exclude)));
  if (!value.empty() && !IsBleedingValue(value)) {
    *why = "bleeding.value is " + Quoted(value) + ", not 0, 1, 2 or 3";
    return false;
  }
  if (!exclude.empty() && exclude != "true" && exclude != "false") {
    *why = "bleeding.exclude is " + Quoted(exclude) + ", not true or false";
    return false;
  }
  *bleeding = !value.empty() && exclude != "true";
  return true;
}

// Reads one data row into *days; false with *parse set when the row is broken.
bool ReadRow(const CsvRecord& record, const DripColumns& columns, std::vector<DripDay>* days,
             ImportParse* parse) {
  const std::string where = "line " + std::to_string(record.line) + ": ";
  if (record.fields.size() > columns.count) {
    const bool extra_empty =
        std::all_of(record.fields.begin() + static_cast<long>(columns.count), record.fields.end(),
                    [](const std::string& cell) { return cell.empty(); });
    if (!extra_empty) {
      *parse = Broken(ImportFormat::kDrip, where + std::to_string(record.fields.size()) +
                                               " fields, but the header names " +
                                               std::to_string(columns.count));
      return false;
    }
  }
  DripDay day;
  std::string why;
  if (!ParseIsoDay(Trimmed(Cell(record.fields, columns.date)), &day.day, &why) ||
      (columns.bleeding != kAbsent && !ReadBleeding(record.fields, columns, &day.bleeding, &why))) {
    *parse = Broken(ImportFormat::kDrip, where + why);
    return false;
  }
  days->push_back(day);
  return true;
}

}  // namespace

ImportParse ParseDripCsv(std::string_view text) {
  ImportParse parse;
  parse.format = ImportFormat::kDrip;
  CsvCursor cursor{text};
  CsvRecord record;
  std::string error;
  if (NextCsvRecord(&cursor, &record, &error) != CsvStep::kRecord) {
    return Broken(ImportFormat::kDrip, error.empty() ? "the file has no header" : error);
  }
  DripColumns columns;
  if (!ReadHeader(record, &columns, &parse)) return parse;
  std::vector<DripDay> days;
  for (CsvStep step; (step = NextCsvRecord(&cursor, &record, &error)) != CsvStep::kEnd;) {
    if (step == CsvStep::kError) return Broken(ImportFormat::kDrip, error);
    if (IsBlankRecord(record)) continue;
    if (!ReadRow(record, columns, &days, &parse)) return parse;
  }
  // The later row of a date wins: order by day, then keep the last of each day.
  std::stable_sort(days.begin(), days.end(),
                   [](const DripDay& a, const DripDay& b) { return a.day < b.day; });
  std::vector<ImportDay> bleeding;
  for (std::size_t i = 0; i < days.size(); ++i) {
    const bool last_of_day = i + 1 == days.size() || days[i + 1].day != days[i].day;
    if (last_of_day && days[i].bleeding) bleeding.push_back(days[i].day);
  }
  parse.starts = RunStarts(std::move(bleeding), 2);
  return parse;
}

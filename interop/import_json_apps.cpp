// The JSON exports, each read by its tracker's own rule for where a period starts:
//   Periodical  a row of eventtype 1 is a start (rows of other types are further days or
//               placeholders for notes);
//   Mensinator  the rows of one period_id form a period, which starts on its earliest date;
//   Menstrudel  logs with flow (spotting included) in time order; a gap of two whole days
//               (48 hours) or more between two of them starts a new period;
//   Clue        the days of type "period"; each run of consecutive days is a period.
#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "interop/import_formats.h"
#include "interop/import_json.h"

namespace {

constexpr std::int64_t kPeriodicalVersion = 6;
constexpr std::int64_t kPeriodicalStart = 1;
constexpr std::int64_t kMicrosecondsPerDay = 86'400'000'000;

std::string At(const char* list, std::size_t index) {
  return std::string(list) + "[" + std::to_string(index) + "]";
}

// The day in member `key` of `row`, read by `parse_day`; false with *error naming the place.
bool ReadDay(const Json& row, const char* key, const std::string& where,
             bool (*parse_day)(std::string_view, ImportDay*, std::string*), ImportDay* day,
             std::string* error) {
  const Json* value = Member(row, key);
  std::string text;
  if (value == nullptr || !ScalarText(*value, &text)) {
    *error = where + "." + key + " is missing or not text";
    return false;
  }
  std::string why;
  if (parse_day(text, day, &why)) return true;
  *error = where + "." + key + ": " + why;
  return false;
}

// The member `key` of `root` as a list; nullptr with *error when it is absent or not a list.
const Json* ListMember(const Json& root, const char* key, std::string* error) {
  const Json* list = Member(root, key);
  if (list == nullptr) *error = "there is no " + std::string(key) + " list";
  if (list != nullptr && !list->is_array()) *error = std::string(key) + " is not a list";
  return list != nullptr && list->is_array() ? list : nullptr;
}

// The data list and version of a Periodical backup: single-key objects in a list.
bool FindPeriodicalParts(const Json& root, const Json** data, std::int64_t* version,
                         std::string* error) {
  for (std::size_t i = 0; i < root.size(); ++i) {
    if (!root[i].is_object()) {
      *error = At("", i) + " is not an object";
      return false;
    }
    if (const Json* found = Member(root[i], "version");
        found != nullptr && !ScalarInteger(*found, version)) {
      *error = At("", i) + ".version is not a number";
      return false;
    }
    if (const Json* found = Member(root[i], "data")) *data = found;
  }
  if (*data == nullptr || !(*data)->is_array()) {
    *error = *data == nullptr ? "the backup has no data list" : "data is not a list";
    return false;
  }
  return true;
}

// The number of two digits at text[at], or -1.
int TwoDigits(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size() || text[at] < '0' || text[at] > '9' || text[at + 1] < '0' ||
      text[at + 1] > '9') {
    return -1;
  }
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// Microseconds into the day of "THH:MM[:SS[.fraction]]" (or with a space for the T); an
// empty text is midnight. False for anything else.
bool ParseTimeOfDay(std::string_view text, std::int64_t* micros) {
  *micros = 0;
  if (text.empty()) return true;
  const int hour = TwoDigits(text, 1);
  const int minute = TwoDigits(text, 4);
  if (text.size() < 6 || (text[0] != 'T' && text[0] != ' ') || text[3] != ':' || hour < 0 ||
      hour > 23 || minute < 0 || minute > 59) {
    return false;
  }
  int second = 0;
  if (text.size() > 6) {
    second = TwoDigits(text, 7);
    if (text[6] != ':' || second < 0 || second > 59) return false;
  }
  std::int64_t fraction = 0;
  if (text.size() > 9) {
    const std::string_view digits = text.substr(10);
    if (text[9] != '.' || digits.empty() ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
      return false;
    }
    for (std::size_t i = 0; i < 6; ++i) {  // microseconds; finer digits do not matter
      fraction = fraction * 10 + (i < digits.size() ? digits[i] - '0' : 0);
    }
  }
  *micros = ((hour * 60 + minute) * 60 + second) * std::int64_t{1'000'000} + fraction;
  return true;
}

// Menstrudel's log time: "YYYY-MM-DD", optionally "THH:MM[:SS[.fraction]]", local, no zone;
// *micros counts from the start of the model's day count.
bool ParseLocalDateTime(std::string_view text, ImportDay* day, std::int64_t* micros,
                        std::string* why) {
  if (!ParseIsoDay(text.substr(0, 10), day, why)) return false;
  std::int64_t time_of_day = 0;
  if (!ParseTimeOfDay(text.substr(10), &time_of_day)) {
    *why = Quoted(text) + " is not a date and time of the form YYYY-MM-DDTHH:MM:SS";
    return false;
  }
  *micros = DayIndex(*day) * kMicrosecondsPerDay + time_of_day;
  return true;
}

}  // namespace

ImportParse ReadPeriodicalBackup(const Json& root) {
  constexpr ImportFormat kFormat = ImportFormat::kPeriodicalBackup;
  const Json* data = nullptr;
  std::int64_t version = kPeriodicalVersion;
  std::string error;
  if (!FindPeriodicalParts(root, &data, &version, &error)) return Broken(kFormat, error);
  ImportParse parse;
  parse.format = kFormat;
  for (std::size_t i = 0; i < data->size(); ++i) {
    const Json& row = (*data)[i];
    const Json* type = Member(row, "eventtype");
    std::int64_t event_type = 0;
    if (type == nullptr || !ScalarInteger(*type, &event_type)) {
      return Broken(kFormat, At("data", i) + ".eventtype is missing or not a number");
    }
    ImportDay day;
    if (!ReadDay(row, "eventdate", At("data", i), ParseCompactDay, &day, &error)) {
      return Broken(kFormat, error);
    }
    if (event_type == kPeriodicalStart) parse.starts.push_back(day);
  }
  if (version != kPeriodicalVersion) {
    parse.notes.push_back("The backup says version " + std::to_string(version) +
                          "; it was read as Periodical's version 6.");
  }
  return parse;
}

ImportParse ReadMensinator(const Json& root) {
  constexpr ImportFormat kFormat = ImportFormat::kMensinator;
  std::string error;
  const Json* periods = ListMember(root, "periods", &error);
  if (periods == nullptr) return Broken(kFormat, error);
  std::vector<ImportDay> days;
  std::map<std::string, ImportDay> first_of_period;
  bool every_row_grouped = true;
  for (std::size_t i = 0; i < periods->size(); ++i) {
    const Json& row = (*periods)[i];
    ImportDay day;
    if (!ReadDay(row, "date", At("periods", i), ParseIsoDay, &day, &error)) {
      return Broken(kFormat, error);
    }
    days.push_back(day);
    const Json* id = Member(row, "period_id");
    std::string key;
    if (id == nullptr || !ScalarText(*id, &key)) {
      every_row_grouped = false;
      continue;
    }
    const auto [place, added] = first_of_period.emplace(key, day);
    if (!added) place->second = std::min(place->second, day);
  }
  ImportParse parse;
  parse.format = kFormat;
  if (every_row_grouped) {
    for (const auto& [id, day] : first_of_period) parse.starts.push_back(day);
  } else {
    // Mensinator's own import regroups every date by adjacency; so do we without the ids.
    parse.starts = RunStarts(std::move(days), 1);
    parse.notes.push_back(
        "Some days have no period_id; periods were grouped by consecutive "
        "days, as Mensinator's own import does.");
  }
  return parse;
}

ImportParse ReadMenstrudel(const Json& root) {
  constexpr ImportFormat kFormat = ImportFormat::kMenstrudel;
  std::string error;
  const Json* logs = ListMember(root, "period_logs", &error);
  if (logs == nullptr) return Broken(kFormat, error);
  std::vector<std::pair<std::int64_t, ImportDay>> flow_logs;  // (local time, day)
  for (std::size_t i = 0; i < logs->size(); ++i) {
    const Json& row = (*logs)[i];
    const Json* date = Member(row, "date");
    const Json* flow = Member(row, "flow");
    std::int64_t flow_level = 0;
    if (flow == nullptr || !ScalarInteger(*flow, &flow_level)) {
      return Broken(kFormat, At("period_logs", i) + ".flow is missing or not a number");
    }
    ImportDay day;
    std::int64_t micros = 0;
    std::string why;
    if (date == nullptr || !date->is_string()) {
      return Broken(kFormat, At("period_logs", i) + ".date is missing or not text");
    }
    if (!ParseLocalDateTime(date->get_ref<const std::string&>(), &day, &micros, &why)) {
      return Broken(kFormat, At("period_logs", i) + ".date: " + why);
    }
    if (flow_level != 0) flow_logs.emplace_back(micros, day);
  }
  std::sort(flow_logs.begin(), flow_logs.end());
  ImportParse parse;
  parse.format = kFormat;
  for (std::size_t i = 0; i < flow_logs.size(); ++i) {
    // Whole days between the two log times, truncated: a new period needs 48 hours.
    if (i == 0 || (flow_logs[i].first - flow_logs[i - 1].first) / kMicrosecondsPerDay > 1) {
      parse.starts.push_back(flow_logs[i].second);
    }
  }
  return parse;
}

ImportParse ReadClue(const Json& root) {
  std::vector<ImportDay> days;
  for (std::size_t i = 0; i < root.size(); ++i) {
    const Json& entry = root[i];
    if (!entry.is_object()) return Broken(ImportFormat::kClue, At("", i) + " is not an object");
    const Json* type = Member(entry, "type");
    if (type == nullptr || !type->is_string() || *type != "period") continue;
    ImportDay day;
    std::string error;
    if (!ReadDay(entry, "date", At("", i), ParseIsoDay, &day, &error)) {
      return Broken(ImportFormat::kClue, error);
    }
    days.push_back(day);
  }
  ImportParse parse;
  parse.format = ImportFormat::kClue;
  parse.starts = RunStarts(std::move(days), 1);
  return parse;
}

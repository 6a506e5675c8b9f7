// Days as the trackers write them, and the start rule of runs of days.
#include <algorithm>
#include <string>

#include "interop/import_formats.h"
#include "model/calendar.h"
#include "platform/text/unicode.h"

namespace {

constexpr std::int32_t kFirstYear = 1601;  // the first year of the stored tick count
constexpr std::size_t kQuoteLimit = 40;

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::int32_t Number(std::string_view digits) {
  std::int32_t value = 0;
  for (char c : digits) value = value * 10 + (c - '0');  // at most 4 digits
  return value;
}

// Checks the fields of a day read from `text`, for the message.
bool CheckDay(std::string_view text, const ImportDay& day, std::string* why) {
  if (day.month < 1 || day.month > 12 || day.day < 1 ||
      day.day > DaysInMonth(day.year, day.month)) {
    *why = Quoted(text) + " is not a real date";
    return false;
  }
  if (day.year < kFirstYear) {
    *why = Quoted(text) + " is before 1601, the earliest year Cyclune can keep";
    return false;
  }
  return true;
}

}  // namespace

bool ParseIsoDay(std::string_view text, ImportDay* day, std::string* why) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !AllDigits(text.substr(0, 4)) ||
      !AllDigits(text.substr(5, 2)) || !AllDigits(text.substr(8, 2))) {
    *why = Quoted(text) + " is not a date of the form YYYY-MM-DD";
    return false;
  }
  const ImportDay read{Number(text.substr(0, 4)), Number(text.substr(5, 2)),
                       Number(text.substr(8, 2))};
  if (!CheckDay(text, read, why)) return false;
  *day = read;
  return true;
}

bool ParseCompactDay(std::string_view text, ImportDay* day, std::string* why) {
  if (text.size() != 8 || !AllDigits(text)) {
    *why = Quoted(text) + " is not a date of the form yyyyMMdd";
    return false;
  }
  const ImportDay read{Number(text.substr(0, 4)), Number(text.substr(4, 2)),
                       Number(text.substr(6, 2))};
  if (!CheckDay(text, read, why)) return false;
  *day = read;
  return true;
}

std::int64_t DayIndex(const ImportDay& day) {
  return DayNumber(CivilDay(day.year, day.month, day.day));
}

std::vector<ImportDay> RunStarts(std::vector<ImportDay> days, std::int64_t max_step) {
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  std::vector<ImportDay> starts;
  std::int64_t previous = 0;
  for (std::size_t i = 0; i < days.size(); ++i) {
    const std::int64_t index = DayIndex(days[i]);
    if (i == 0 || index - previous > max_step) starts.push_back(days[i]);
    previous = index;
  }
  return starts;
}

std::string Quoted(std::string_view text) {
  const bool cut = text.size() > kQuoteLimit;
  std::string shown(text.substr(0, kQuoteLimit));
  if (cut) {  // not in the middle of a character
    while (!shown.empty() && (static_cast<unsigned char>(shown.back()) & 0xC0) == 0x80) {
      shown.pop_back();
    }
    if (!shown.empty() && static_cast<unsigned char>(shown.back()) >= 0xC0) shown.pop_back();
  }
  std::u16string ignored;
  const bool utf8 = Utf8ToUtf16(shown, &ignored);
  for (char& c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !utf8)) c = '?';
  }
  return "'" + shown + (cut ? "...'" : "'");
}

ImportParse Broken(ImportFormat format, std::string error) {
  ImportParse parse;
  parse.problem = ImportProblem::kBroken;
  parse.format = format;
  parse.error = std::move(error);
  return parse;
}

ImportParse Unrecognised(std::string detail) {
  ImportParse parse;
  parse.problem = ImportProblem::kUnknownFormat;
  parse.error = std::move(detail);
  return parse;
}

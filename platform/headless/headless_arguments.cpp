// The runner's command-line values: the client size and the fixed "now".
#include <charconv>

#include "platform/headless.h"
#include "platform/headless/headless_script.h"

namespace {

// Exactly `digits` decimal digits at `at`, read into *value.
bool Digits(std::string_view text, std::size_t at, std::size_t digits, int* value) {
  if (at + digits > text.size()) return false;
  int parsed = 0;
  for (std::size_t i = at; i < at + digits; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    parsed = parsed * 10 + (text[i] - '0');
  }
  *value = parsed;
  return true;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// 0 = Sunday; Sakamoto's method over the Gregorian calendar.
int Weekday(int year, int month, int day) {
  constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kOffsets[month - 1] + day) % 7;
}

bool ParseSide(std::string_view text, int* side) {
  std::uint32_t value = 0;
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || status != std::errc() || end != text.data() + text.size() ||
      value > kMaxClientSide) {
    return false;
  }
  *side = static_cast<int>(value);
  return true;
}

}  // namespace

bool ParseClientSize(std::string_view text, int* width, int* height) {
  const std::size_t x = text.find('x');
  if (x == std::string_view::npos) return false;
  int w = 0;
  int h = 0;
  if (!ParseSide(text.substr(0, x), &w) || !ParseSide(text.substr(x + 1), &h)) return false;
  *width = w;
  *height = h;
  return true;
}

bool ParseLocalTimeArgument(std::string_view text, SYSTEMTIME* time) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
      text[13] != ':' || text[16] != ':' || !Digits(text, 0, 4, &year) ||
      !Digits(text, 5, 2, &month) || !Digits(text, 8, 2, &day) ||
      !Digits(text, 11, 2, &hour) || !Digits(text, 14, 2, &minute) ||
      !Digits(text, 17, 2, &second)) {
    return false;
  }
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  *time = SYSTEMTIME{static_cast<WORD>(year),   static_cast<WORD>(month),
                     static_cast<WORD>(Weekday(year, month, day)),
                     static_cast<WORD>(day),    static_cast<WORD>(hour),
                     static_cast<WORD>(minute), static_cast<WORD>(second), 0};
  return true;
}

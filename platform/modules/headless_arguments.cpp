// The runner's command-line values: the client size and the fixed "now".
#include <charconv>

#include "platform/dates/civil_days.h"
#include "platform/modules/headless.h"

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

bool ParseLocalTimeArgument(std::string_view text, LocalDateTime* time) {
  // Four digits of year, or five (without a leading zero) for 10000 to 65535.
  const std::size_t y = text.size() == 20 ? 5 : 4;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (text.size() != 15 + y || text[y] != '-' || text[y + 3] != '-' || text[y + 6] != 'T' ||
      text[y + 9] != ':' || text[y + 12] != ':' || !Digits(text, 0, y, &year) ||
      (y == 5 && text[0] == '0') || !Digits(text, y + 1, 2, &month) ||
      !Digits(text, y + 4, 2, &day) || !Digits(text, y + 7, 2, &hour) ||
      !Digits(text, y + 10, 2, &minute) || !Digits(text, y + 13, 2, &second)) {
    return false;
  }
  if (year > 65535 || month < 1 || month > 12 || day < 1 ||
      static_cast<unsigned>(day) > civil::LastDayOfMonth(year, static_cast<unsigned>(month)) ||
      hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  *time = LocalDateTime{CivilDay(year, month, day), hour, minute, second, 0};
  return true;
}

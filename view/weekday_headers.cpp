#include "view/weekday_headers.h"

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "platform/text/unicode.h"

namespace {

// A header shown over three columns or more no longer tells which day is meant.
constexpr std::ptrdiff_t kMostColumnsPerHeader = 2;

// The first `characters` code points of `name` (all of it when it is shorter).
std::u16string Prefix(std::u16string_view name, std::size_t characters) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < characters && end < name.size(); ++i) NextCodePoint(name, &end);
  return std::u16string(name.substr(0, end));
}

bool NoneRepeatsMoreThan(const WeekdayTexts& texts, std::ptrdiff_t most) {
  return std::all_of(texts.begin(), texts.end(), [&texts, most](const std::u16string& text) {
    return std::count(texts.begin(), texts.end(), text) <= most;
  });
}

WeekdayTexts Prefixes(const WeekdayTexts& names, std::size_t characters) {
  WeekdayTexts prefixes;
  std::transform(names.begin(), names.end(), prefixes.begin(),
                 [characters](const std::u16string& name) { return Prefix(name, characters); });
  return prefixes;
}

}  // namespace

WeekdayTexts WeekdayHeaders(const WeekdayTexts& abbreviated, const WeekdayTexts& narrow) {
  const WeekdayTexts initials = Prefixes(abbreviated, 1);
  if (NoneRepeatsMoreThan(initials, kMostColumnsPerHeader)) return initials;
  if (NoneRepeatsMoreThan(narrow, kMostColumnsPerHeader)) return narrow;
  std::size_t longest = 0;
  for (const std::u16string& name : abbreviated) longest = std::max(longest, name.size());
  for (std::size_t characters = 2; characters < longest; ++characters) {
    WeekdayTexts prefixes = Prefixes(abbreviated, characters);
    if (NoneRepeatsMoreThan(prefixes, 1)) return prefixes;
  }
  return abbreviated;  // names that repeat even whole are shown as they are
}

// Pattern rewriting behind the date formatter: turns a date picture of the platform's
// picture language ("MMMM yyyy", "ddd") into ICU date patterns, and turns a locale's own
// ICU date pattern into one that prints the date record's year as it is. Pure text work
// with no ICU types, so that it can be checked on its own. Internal to platform/.
//
// Example:
//   TranslatePicture(u"MMMM yyyy")   // one piece: u"LLLL uuuu"
//   PlainYearPattern(u"EEEE, d MMMM G y")  // u"EEEE, d MMMM u"
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace datepattern {

// One piece of a translated picture: either an ICU date pattern, or the year's last two
// digits, which no ICU pattern field prints for year 0 (ICU's two-digit year is that of
// the era, 1 BC for year 0).
struct PicturePiece {
  std::u16string icu_pattern;  // used when short_year_digits == 0
  int short_year_digits;       // 1: year % 100 without, 2: with a leading zero
  friend bool operator==(const PicturePiece&, const PicturePiece&) = default;
};

// Translates a picture: d, dd day; ddd, dddd, ddddd weekday (abbreviated, full, narrow); M,
// MM month number; MMM, MMMM month name (the stand-alone form unless the picture also has a
// day number, then the form used inside a date); y, yy (and yyy) the year's last two
// digits; yyyy (and longer) the whole year, at least four digits; 'quoted text' and '' (a
// quote); every other character copied.
std::vector<PicturePiece> TranslatePicture(std::u16string_view picture);

// Rewrites a locale's date pattern so that its year fields print the extended year (u: the
// year record's year as it is, 0 for 1 BC) and era fields go, with their separating text.
std::u16string PlainYearPattern(std::u16string_view icu_pattern);

}  // namespace datepattern

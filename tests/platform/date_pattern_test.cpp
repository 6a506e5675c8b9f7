#include "platform/dates/date_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using datepattern::PicturePiece;

std::string Narrow(const std::u16string& s) { return std::string(s.begin(), s.end()); }

TEST(DatePattern, PicturesBecomeIcuPatterns) {
  struct Case {
    const char16_t* picture;
    std::vector<PicturePiece> pieces;
  };
  const Case cases[] = {
      {u"MMMM yyyy", {{u"LLLL uuuu", 0}}},
      {u"d MMMM yyyy", {{u"d MMMM uuuu", 0}}},  // with a day: the form inside a date
      {u"MMM", {{u"LLL", 0}}},
      {u"ddd", {{u"ccc", 0}}},
      {u"dddd, d MMM", {{u"EEEE, d MMM", 0}}},
      {u"ddddd", {{u"ccccc", 0}}},  // the narrow name
      {u"ddddd d", {{u"EEEEE d", 0}}},
      {u"dd/MM/yyyyy", {{u"dd/MM/uuuu", 0}}},
      {u"d.M.yy", {{u"d.M.", 0}, {u"", 2}}},
      {u"y-M", {{u"", 1}, {u"-M", 0}}},
      {u"yyy", {{u"", 2}}},
      {u"'Week' d", {{u"'Week 'd", 0}}},
      {u"'it''s' d", {{u"'it''s 'd", 0}}},
      {u"d h:m", {{u"d' h:m'", 0}}},  // letters outside the picture language are copied
      {u"'open", {{u"'open'", 0}}},
      {u"MMMM''yy", {{u"LLLL''", 0}, {u"", 2}}},
      {u"''MMMM'''", {{u"''LLLL''", 0}}},
      {u"", {}},
  };
  for (const Case& c : cases) {
    const std::vector<PicturePiece> got = datepattern::TranslatePicture(c.picture);
    ASSERT_EQ(got.size(), c.pieces.size()) << Narrow(c.picture);
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(Narrow(got[i].icu_pattern), Narrow(c.pieces[i].icu_pattern)) << Narrow(c.picture);
      EXPECT_EQ(got[i].short_year_digits, c.pieces[i].short_year_digits) << Narrow(c.picture);
    }
  }
}

TEST(DatePattern, LocalePatternsPrintTheYearWithoutEra) {
  struct Case {
    const char16_t* pattern;
    const char16_t* plain;
  };
  const Case cases[] = {
      {u"EEEE, MMMM d, y", u"EEEE, MMMM d, u"},
      {u"M/d/yy", u"M/d/uu"},
      {u"EEEE d MMMM G y", u"EEEE d MMMM u"},
      {u"d MMMM y G", u"d MMMM u"},
      {u"GGGG y", u"u"},
      {u"G", u""},
      {u"d MMMM y 'G'.", u"d MMMM u 'G'."},  // quoted text stays
      {u"EEEE, d 'de' MMMM 'de' y", u"EEEE, d 'de' MMMM 'de' u"},
      {u"Y-ww r U", u"u-ww u u"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Narrow(datepattern::PlainYearPattern(c.pattern)), Narrow(c.plain))
        << Narrow(c.pattern);
  }
}

}  // namespace

// Splitting lines into runs of one font and one script, over three made-up fonts: a Latin
// font (ASCII, Latin-1 and combining accents), a CJK font (Han, ASCII digits and the space)
// and a Thai font (the Thai block and the space), preferred in that order.
#include "platform/canvas/pixels/font_runs.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool LatinHas(char32_t c) { return c < 0x100 || (c >= 0x300 && c < 0x370) || c == 0x200D; }
bool CjkHas(char32_t c) {
  return (c >= 0x4E00 && c < 0xA000) || (c >= U'0' && c <= U'9') || c == U' ' || c == 0xFE0F;
}
bool ThaiHas(char32_t c) { return (c >= 0x0E00 && c < 0x0E80) || c == U' '; }

bool FontHas(int font, char32_t c) {
  switch (font) {
    case 0:
      return LatinHas(c);
    case 1:
      return CjkHas(c);
    case 2:
      return ThaiHas(c);
    default:
      return false;
  }
}

const FontCoverage kThreeFonts{[](char32_t c) {
                                 for (int font = 0; font < 3; ++font) {
                                   if (FontHas(font, c)) return font;
                                 }
                                 return -1;
                               },
                               FontHas};

using Runs = std::vector<FontRun>;

TEST(FontRuns, EachRunIsOneFontAndOneScript) {
  struct Case {
    const char* name;
    std::u32string text;
    Runs expected;
  };
  const Case cases[] = {
      {"empty", U"", {}},
      {"Latin alone", U"May 2024", {{0, 8, 0, "Latn"}}},
      {"digits before Han", U"2024年5月", {{0, 4, 0, "Zyyy"}, {4, 7, 1, "Hani"}}},
      {"space and digits stay with Han", U"五月 2024", {{0, 7, 1, "Hani"}}},
      {"Latin, Han, Latin",
       U"May 五月 x",
       {{0, 4, 0, "Latn"}, {4, 7, 1, "Hani"}, {7, 8, 0, "Latn"}}},
      {"digits the Thai font lacks", U"พฤษภาคม 2024", {{0, 8, 2, "Thai"}, {8, 12, 0, "Zyyy"}}},
      {"a Thai tone mark stays on its consonant", U"ก\u0E49า", {{0, 3, 2, "Thai"}}},
      {"an accent stays on its letter", U"e\u0301t\u00E9", {{0, 4, 0, "Latn"}}},
      {"a leading accent takes the next script", U"\u0301a", {{0, 2, 0, "Latn"}}},
      {"a joiner between letters", U"a\u200Db", {{0, 3, 0, "Latn"}}},
      {"a variation selector after Han", U"五\uFE0F", {{0, 2, 1, "Hani"}}},
      {"no font has it: stays in the run", U"a\U0001F600b", {{0, 3, 0, "Latn"}}},
      {"no font has it: font 0 at the start", U"\U0001F600", {{0, 1, 0, "Zyyy"}}},
      {"Cyrillic that no font has, after Latin",
       U"ab\u0416",
       {{0, 2, 0, "Latn"}, {2, 3, 0, "Cyrl"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitFontRuns(c.text, kThreeFonts), c.expected) << c.name;
  }
}

TEST(FontRuns, RunsCoverTheTextInOrderWithoutGaps) {
  const std::u32string text = U"2024年5月 พฤษภาคม May e\u0301 \U0001F600 五\uFE0F";
  const Runs runs = SplitFontRuns(text, kThreeFonts);
  ASSERT_FALSE(runs.empty());
  EXPECT_EQ(runs.front().begin, 0u);
  EXPECT_EQ(runs.back().end, text.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    EXPECT_LT(runs[i].begin, runs[i].end) << "run " << i;
    if (i > 0) {
      EXPECT_EQ(runs[i].begin, runs[i - 1].end) << "run " << i;
      EXPECT_FALSE(runs[i].font == runs[i - 1].font && runs[i].script == runs[i - 1].script)
          << "runs " << i - 1 << " and " << i << " could be one";
    }
  }
}

TEST(FontRuns, InvisibleCharactersAreControlsAndFormats) {
  struct Case {
    char32_t c;
    bool invisible;
  };
  const Case cases[] = {
      {U'a', false},   {U' ', false},  {0x3000, false},  // ideographic space takes room
      {0x0E49, false},                                   // a Thai tone mark is drawn
      {0x0009, true},  {0x200D, true}, {0x200B, true},
      {0xFEFF, true},  {0x00AD, true}, {0xFE0F, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsInvisibleCharacter(c.c), c.invisible) << std::hex << static_cast<unsigned>(c.c);
  }
}

}  // namespace

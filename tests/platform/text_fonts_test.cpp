// Text drawn with the fonts installed here: lines in Latin, Chinese and Japanese come out with
// no missing-glyph box when some installed font has their characters (fonts-wqy-zenhei is
// among the test dependencies); characters no font has are reported, joiners are not.
#include <fontconfig/fontconfig.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/canvas/canvas.h"
#include "platform/canvas/pixels/pixel_text.h"

namespace {

constexpr int kSize = 24;
constexpr Rgb kBlack = Rgb{0, 0, 0};
constexpr Rgb kWhite = Rgb{255, 255, 255};

// Whether fontconfig lists any font with the character, asked apart from the code under test.
bool SomeFontHas(char32_t c) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  FcPattern* pattern = FcPatternCreate();
  FcCharSet* charset = FcCharSetCreate();
  FcCharSetAddChar(charset, static_cast<FcChar32>(c));
  FcPatternAddCharSet(pattern, FC_CHARSET, charset);
  FcObjectSet* objects = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* fonts = FcFontList(config, pattern, objects);
  const bool found = fonts != nullptr && fonts->nfont > 0;
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcObjectSetDestroy(objects);
  FcCharSetDestroy(charset);
  FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return found;
}

int WidthOf(std::u16string_view text) {
  TextImage image;
  return RenderTextLine(text, kSize, kBlack, kWhite, &image) ? image.width : -1;
}

TEST(TextFonts, LinesInEachScriptHaveEveryGlyph) {
  struct Case {
    const char16_t* text;
    char32_t needs;  // a character of the text that only some fonts have
  };
  const Case cases[] = {
      {u"May 2024", U'M'},
      {u"Wednesday, May 15, 2024", U'W'},
      {u"2024年5月15日星期三", U'年'},  // Chinese long date
      {u"五月 2024", U'五'},            // Chinese month title
      {u"2024年5月15日水曜日", U'曜'},  // Japanese long date
      {u"May 五月 x", U'五'},           // Latin and Han in one line
      {u"a\u200Db", U'a'},              // a joiner draws nothing, misses nothing
  };
  for (const Case& c : cases) {
    if (!SomeFontHas(c.needs)) {
      ADD_FAILURE() << "no installed font has U+" << std::hex << static_cast<unsigned>(c.needs)
                    << " (scripts/install-deps installs fonts-wqy-zenhei)";
      continue;
    }
    EXPECT_EQ(MissingGlyphs(c.text, kSize), U"") << "in the line of case " << (&c - cases);
  }
}

TEST(TextFonts, CharactersNoFontHasAreReported) {
  // Noncharacters and unassigned code points are in no font.
  EXPECT_EQ(MissingGlyphs(u"a\U0010FFFDb", kSize), U"\U0010FFFD");
  EXPECT_EQ(MissingGlyphs(u"\uFDD0\uFDD1", kSize), U"\uFDD0\uFDD1");
}

TEST(TextFonts, AFallbackRunWidensTheLine) {
  if (!SomeFontHas(U'五')) GTEST_SKIP() << "no CJK font installed";
  const int latin = WidthOf(u"May");
  const int mixed = WidthOf(u"May 五月");
  ASSERT_GT(latin, 0);
  // Two Han characters are each about a full em wide.
  EXPECT_GT(mixed, latin + kSize * 3 / 2);
  TextImage image;
  ASSERT_TRUE(RenderTextLine(u"May 五月", kSize, kBlack, kWhite, &image));
  EXPECT_GE(image.height, kSize);
}

}  // namespace

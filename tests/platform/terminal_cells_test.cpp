// The terminal's cell canvas and cell text: fills, centred text with wide glyphs never
// split, block copies and UTF-16 decoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <clocale>
#include <string>

#include "platform/canvas/cells/cell_canvas.h"
#include "platform/canvas/cells/cell_text.h"
#include "platform/canvas/colours.h"
#include "platform/canvas/pixels/pixel_canvas.h"

namespace {

constexpr Rgb kRed = Rgb{255, 0, 0};

// Wide glyphs need a UTF-8 character type for wcwidth.
class TerminalCells : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::setlocale(LC_CTYPE, "C.UTF-8"), nullptr);
    SetCellTextUnicode(true);
  }
  void TearDown() override {
    SetCellTextUnicode(false);
    std::setlocale(LC_CTYPE, "C");
  }
};

// Row y as text: each glyph's base character, '.' for the tail of a wide glyph.
std::u32string Row(const CellCanvas& canvas, int y) {
  std::u32string row;
  for (int x = 0; x < canvas.Width(); ++x) {
    const Cell& cell = canvas.At(x, y);
    row.push_back(cell.part == Cell::Part::kWideTail ? U'.' : cell.text[0]);
  }
  return row;
}

// Every wide lead has its tail right after it, and every tail its lead right before it.
void ExpectWholeGlyphs(const CellCanvas& canvas) {
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) {
      const Cell::Part part = canvas.At(x, y).part;
      if (part == Cell::Part::kWideLead) {
        ASSERT_LT(x + 1, canvas.Width());
        EXPECT_EQ(canvas.At(x + 1, y).part, Cell::Part::kWideTail) << x << "," << y;
      }
      if (part == Cell::Part::kWideTail) {
        ASSERT_GT(x, 0);
        EXPECT_EQ(canvas.At(x - 1, y).part, Cell::Part::kWideLead) << x << "," << y;
      }
    }
  }
}

TEST_F(TerminalCells, TextIsCentredOnTheRowATapOwns) {
  struct Case {
    Rect rect;
    std::u16string text;
    int row;
    std::u32string expected;
  };
  const Case cases[] = {
      {{0, 0, 11, 2}, u"15", 1, U"    15     "},  // the lower of two rows
      {{0, 0, 11, 3}, u"15", 1, U"    15     "},  // the middle of three
      {{0, 0, 11, 1}, u"5", 0, U"     5     "},
      {{0, 0, 5, 1}, u"May 2024", 0, U"ay 20"},  // the middle part is shown
      {{2, 0, 9, 1}, u"日", 0, U"    日."},      // wide: centred by two cells
      {{0, 0, 11, 1}, u"月曜日", 0, U"  月.曜.日.   "},
      {{1, 0, 6, 1}, u"5月 2024", 0, U" 月. 20     "},  // cut at both ends, 5 cells
      {{0, 0, 3, 1}, u"日本", 0, U"日."},               // 4 cells in 3: "本" is cut off
  };
  for (const Case& c : cases) {
    CellCanvas canvas(11, 3);
    canvas.Fill(Rect{0, 0, 11, 3}, kWhite);
    EXPECT_EQ(canvas.DrawTextCentred(c.rect, c.text, kBlack, kBlue), 1);
    SCOPED_TRACE(std::string(c.text.begin(), c.text.end()));
    std::u32string expected = c.expected;
    expected.resize(11, U' ');
    EXPECT_EQ(Row(canvas, c.row), expected);
    ExpectWholeGlyphs(canvas);
  }
}

TEST_F(TerminalCells, TextBoxTakesTheBackgroundOnlyUnderTheText) {
  CellCanvas canvas(11, 2);
  canvas.Fill(Rect{0, 0, 11, 2}, kRed);
  canvas.DrawTextCentred(Rect{0, 0, 11, 2}, u"15", kWhite, kBlue);
  for (int x = 0; x < 11; ++x) {
    const Cell& cell = canvas.At(x, 1);
    const bool under_text = x == 4 || x == 5;
    EXPECT_EQ(cell.background, under_text ? kBlue : kRed) << x;
    if (under_text) {
      EXPECT_EQ(cell.foreground, kWhite);
    }
    EXPECT_EQ(canvas.At(x, 0).background, kRed) << x;
  }
}

TEST_F(TerminalCells, NothingIsDrawnOutsideTheRectOrTheCanvas) {
  const Rect rects[] = {{0, 0, 0, 0},   {5, 5, 3, 3},  {-20, -20, -10, -10},
                        {20, 0, 30, 5}, {0, 2, 11, 2}, {0, -5, 11, 0}};
  for (const Rect& rect : rects) {
    CellCanvas canvas(11, 2);
    canvas.Fill(Rect{0, 0, 11, 2}, kWhite);
    const CellCanvas before = canvas;
    canvas.DrawTextCentred(rect, u"September 2024", kBlack, kBlue);
    canvas.Fill(Rect{rect.left, rect.top, rect.right, std::min(rect.bottom, rect.top)}, kRed);
    for (int y = 0; y < 2; ++y) {
      for (int x = 0; x < 11; ++x) EXPECT_EQ(canvas.At(x, y), before.At(x, y));
    }
  }
}

TEST_F(TerminalCells, HugeRectanglesDoNotOverflow) {
  CellCanvas canvas(11, 1);
  canvas.Fill(Rect{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, kWhite);
  // Centred in a rectangle 2^32 - 1 cells wide, the text starts 8 cells left of the canvas.
  canvas.DrawTextCentred(Rect{INT32_MIN, 0, INT32_MAX, 1}, u"September 2024", kBlack, kWhite);
  EXPECT_EQ(Row(canvas, 0), U"r 2024     ");
}

TEST_F(TerminalCells, FillOverHalfAWideGlyphBlanksTheOtherHalf) {
  for (int x : {3, 4}) {  // the glyph 日 lies on cells 3 and 4
    CellCanvas canvas(11, 1);
    canvas.Fill(Rect{0, 0, 11, 1}, kWhite);
    canvas.DrawTextCentred(Rect{0, 0, 11, 1}, u"日本", kBlack, kWhite);
    ASSERT_EQ(Row(canvas, 0), U"   日.本.    ");
    canvas.Fill(Rect{x, 0, x + 1, 1}, kRed);
    ExpectWholeGlyphs(canvas);
    EXPECT_EQ(Row(canvas, 0), U"     本.    ") << x;
    EXPECT_EQ(canvas.At(x, 0).background, kRed);
  }
}

TEST_F(TerminalCells, BlitCopiesCellsAndWhitensWhereTheSourceHasNone) {
  CellCanvas source(4, 2);
  source.Fill(Rect{0, 0, 4, 2}, kBlue);
  source.DrawTextCentred(Rect{0, 1, 4, 2}, u"ab", kWhite, kRed);
  CellCanvas target(6, 3);
  // Source (1, 1) lands on target (0, 0); the block reaches past the source's edges.
  target.Blit(0, 0, 6, 3, source, 1, 1);
  EXPECT_EQ(Row(target, 0), U"ab    ");
  EXPECT_EQ(target.At(0, 0).background, kRed);
  EXPECT_EQ(target.At(2, 0).background, kBlue);
  for (int x = 3; x < 6; ++x) EXPECT_EQ(target.At(x, 0).background, kWhite) << x;
  for (int x = 0; x < 6; ++x) EXPECT_EQ(target.At(x, 1).background, kWhite) << x;
}

TEST_F(TerminalCells, BlitNeverCopiesHalfAWideGlyph) {
  CellCanvas source(6, 1);
  source.Fill(Rect{0, 0, 6, 1}, kWhite);
  source.DrawTextCentred(Rect{0, 0, 6, 1}, u"日本語", kBlack, kWhite);
  ASSERT_EQ(Row(source, 0), U"日.本.語.");
  struct Case {
    int x, width, sx;
    std::u32string expected;
  };
  const Case cases[] = {
      {0, 6, 0, U"日.本.語."},
      {0, 3, 1, U" 本."},  // from the tail of 日 to 本: that half of 日 is left out
      {1, 4, 0, U" 日.本."},
      {0, 5, 0, U"日.本. "},  // 語 would be cut
  };
  for (const Case& c : cases) {
    CellCanvas target(c.x + c.width + 1, 1);
    target.Fill(Rect{0, 0, target.Width(), 1}, kWhite);
    target.Blit(c.x, 0, c.width, 1, source, c.sx, 0);
    std::u32string expected = c.expected;
    expected.resize(static_cast<std::size_t>(target.Width()), U' ');
    EXPECT_EQ(Row(target, 0), expected) << c.x << " " << c.width << " " << c.sx;
    ExpectWholeGlyphs(target);
  }
}

TEST_F(TerminalCells, BlitWithinOneCanvasAndFromAnotherKind) {
  CellCanvas canvas(6, 1);
  canvas.Fill(Rect{0, 0, 6, 1}, kWhite);
  canvas.DrawTextCentred(Rect{0, 0, 6, 1}, u"abcdef", kBlack, kWhite);
  canvas.Blit(2, 0, 4, 1, canvas, 0, 0);  // overlapping, to the right
  EXPECT_EQ(Row(canvas, 0), U"ababcd");
  const std::unique_ptr<Canvas> pixels = MakePixelCanvas(6, 1);
  canvas.Blit(0, 0, 3, 1, *pixels, 0, 0);
  EXPECT_EQ(Row(canvas, 0), U"   bcd");
  EXPECT_EQ(canvas.At(0, 0).background, kWhite);
}

TEST_F(TerminalCells, GlyphsOfDecodesUtf16) {
  struct Case {
    std::u16string text;
    std::u32string bases;
    int width;
  };
  const Case cases[] = {
      {u"May", U"May", 3},
      {u"日本", U"日本", 4},
      {u"e\u0301t\u00e9", U"et\u00e9", 3},                   // a combining mark rides on its base
      {u"\U0001F600", U"\U0001F600", 2},                     // a surrogate pair
      {std::u16string(1, u'\xD800') + u"a", U"\uFFFDa", 2},  // an unpaired surrogate
      {u"a\tb\r\n", U"a b  ", 5},                            // controls show as spaces
      {u"\u0301x", U"x", 1},                                 // a mark with nothing before it
  };
  for (const Case& c : cases) {
    const GlyphLine glyphs = GlyphsOf(c.text);
    std::u32string bases;
    for (const CellGlyph& glyph : glyphs) bases.push_back(glyph.text[0]);
    EXPECT_EQ(bases, c.bases);
    EXPECT_EQ(CellWidthOf(glyphs), c.width);
  }
  EXPECT_EQ(GlyphsOf(u"e\u0301")[0].text[1], U'\u0301');
}

// Outside UTF-8 a cell shows what the locale's character set holds: in Latin-1 an a-umlaut,
// not a Han character nor a combining mark; a narrow no-break space becomes a space, a bar
// chart's block a '#'.
TEST_F(TerminalCells, OtherCharacterSetsShowWhatTheyHold) {
  if (std::setlocale(LC_CTYPE, "de_DE") == nullptr) GTEST_SKIP() << "no de_DE locale";
  SetCellTextUnicode(false);
  const GlyphLine glyphs = GlyphsOf(u"M\u00e4r\u202f日e\u0301\u2588\u258c");
  std::u32string bases;
  for (const CellGlyph& glyph : glyphs) bases.push_back(glyph.text[0]);
  EXPECT_EQ(bases, U"M\u00e4r ?e?##");
  EXPECT_EQ(CellWidthOf(glyphs), 9);
}

}  // namespace

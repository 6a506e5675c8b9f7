// The terminal's colours on every depth and the layout of its bar, popup and message boxes
// on screens of every size.
#include "platform/terminal/terminal_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "platform/canvas/colours.h"
#include "platform/terminal/terminal_colour.h"
#include "platform/text/text_wrap.h"

namespace {

constexpr Rgb kGreen = Rgb{0, 255, 0};
constexpr Rgb kDarkGreen = Rgb{0, 128, 0};
constexpr Rgb kRed = Rgb{255, 0, 0};
constexpr Rgb kDarkRed = Rgb{128, 0, 0};
constexpr Rgb kYellow = Rgb{255, 255, 0};

constexpr std::u16string_view kHelp =
    u"Legend:\nRed - Menstrual days\nGreen - Recommend intercourse\nYellow - Recommend to "
    u"abstain\nBrighter colors indicate peak times\n\nSelect a date:\nUp - Previous month\n"
    u"Down - Next month\nLeft - Previous day\nRight - Next day\n\nSet last period:\n1. Select "
    u"date\n2. Go to Options\n3. Select Set last period\n\nView day details:\n1. Select date\n"
    u"2. Press Enter/OK\n";

// The help box as the terminal lays it out: its text wrapped in cells to the widest it may be.
BoxLayout HelpBox(int columns, int rows) {
  const auto cells = [](std::u16string_view piece) { return CellWidthOf(piece); };
  return LayOutMessageBox(WrapText(kHelp, MessageTextLimit(columns, rows), cells), u"Help", columns,
                          rows);
}

std::string Text(const GlyphLine& line) {
  std::string text;
  for (const CellGlyph& glyph : line) text.push_back(static_cast<char>(glyph.text[0]));
  return text;
}

TEST(TerminalColour, MonthColoursTakeTheirCubeEntries) {
  const std::pair<Rgb, int> cases[] = {
      {kWhite, 231},    {kBlack, 16}, {kBlue, 21},    {kDarkBlue, 17}, {kGreen, 46},
      {kDarkGreen, 28}, {kRed, 196},  {kDarkRed, 88}, {kYellow, 226},  {Rgb{128, 128, 128}, 244}};
  for (const auto& [colour, index] : cases)
    EXPECT_EQ(Nearest256(colour), index)
        << int{colour.red} << "," << int{colour.green} << "," << int{colour.blue};
}

TEST(TerminalColour, Nearest256IsAsNearAsASearchOfThePalette) {
  auto distance = [](Rgb a, Rgb b) {
    const int dr = a.red - b.red;
    const int dg = a.green - b.green;
    const int db = a.blue - b.blue;
    return dr * dr + dg * dg + db * db;
  };
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 15) {
      for (int b = 0; b < 256; b += 15) {
        const Rgb colour = Rgb{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                               static_cast<std::uint8_t>(b)};
        const int searched = NearestPaletteIndex(colour, 16, 255);
        EXPECT_EQ(distance(colour, PaletteColour(Nearest256(colour))),
                  distance(colour, PaletteColour(searched)))
            << r << "," << g << "," << b;
      }
    }
  }
}

TEST(TerminalColour, DirectColourIsTheExactValue) {
  const CellColours colours = ColoursFor(Rgb{1, 2, 3}, kDarkBlue, ColourDepth::kDirect);
  EXPECT_EQ(colours.foreground, 0x010203);
  EXPECT_EQ(colours.background, 0x000040);
}

// On 8 colours the selected, red and green days stay apart from each other and from plain
// days, and no text takes the colour of its cell.
TEST(TerminalColour, EightColoursKeepTheDaysApartAndTextReadable) {
  const std::pair<Rgb, Rgb> cells[] = {
      {kWhite, kDarkBlue},   {kYellow, kRed},  {kYellow, kDarkRed}, {kYellow, kGreen},
      {kYellow, kDarkGreen}, {kBlack, kWhite}, {kWhite, kBlue}};
  for (const auto& [text, cell] : cells) {
    const CellColours colours = ColoursFor(text, cell, ColourDepth::kEight);
    EXPECT_NE(colours.foreground, colours.background)
        << int{cell.red} << "," << int{cell.green} << "," << int{cell.blue};
    EXPECT_GE(colours.background, 0);
    EXPECT_LE(colours.background, 7);
  }
  const std::set<int> backgrounds = {ColoursFor(kWhite, kDarkBlue, ColourDepth::kEight).background,
                                     ColoursFor(kYellow, kRed, ColourDepth::kEight).background,
                                     ColoursFor(kYellow, kGreen, ColourDepth::kEight).background,
                                     ColoursFor(kBlack, kWhite, ColourDepth::kEight).background};
  EXPECT_EQ(backgrounds.size(), 4u);
  EXPECT_TRUE(ColoursFor(kYellow, kRed, ColourDepth::kEight).bold);  // bright yellow
  EXPECT_FALSE(ColoursFor(kBlack, kWhite, ColourDepth::kEight).bold);
}

TEST(TerminalColour, MonochromeReversesEveryCellNotOnWhite) {
  EXPECT_FALSE(ColoursFor(kBlack, kWhite, ColourDepth::kMonochrome).reverse);
  for (Rgb cell : {kDarkBlue, kRed, kDarkRed, kGreen, kDarkGreen, kBlue}) {
    EXPECT_TRUE(ColoursFor(kYellow, cell, ColourDepth::kMonochrome).reverse)
        << int{cell.red} << "," << int{cell.green} << "," << int{cell.blue};
  }
}

TEST(TerminalLayout, BarKeepsBothLabelsOrHalvesTheRow) {
  struct Case {
    int columns;
    std::string left;
    int right_left;
    std::string right;
    int split;
  };
  const Case cases[] = {
      {80, "Options", 76, "Exit", 76},
      {12, "Options", 8, "Exit", 8},
      {11, "Option", 7, "Exit", 6},
      {5, "Opt", 3, "Ex", 3},
      {1, "O", 1, "", 1},
      {0, "", 0, "", 0},
  };
  for (const Case& c : cases) {
    const BarLayout bar = LayOutBar(u"Options", u"Exit", c.columns);
    EXPECT_EQ(Text(bar.left.glyphs), c.left) << c.columns;
    EXPECT_EQ(bar.left.left, 0);
    EXPECT_EQ(Text(bar.right.glyphs), c.right) << c.columns;
    EXPECT_EQ(bar.right.left, c.right_left) << c.columns;
    EXPECT_EQ(bar.split, c.split) << c.columns;
  }
  const BarLayout box = LayOutBar(u"OK", u"", 40);
  EXPECT_EQ(Text(box.left.glyphs), "OK");
  EXPECT_EQ(box.split, 40);  // the whole bar is the one key
}

TEST(TerminalLayout, MessageBoxesStayOnScreensOfEverySize) {
  for (int columns = 0; columns <= 45; ++columns) {
    for (int rows = 0; rows <= 25; ++rows) {
      const BoxLayout box = HelpBox(columns, rows);
      SCOPED_TRACE(std::to_string(columns) + "x" + std::to_string(rows));
      EXPECT_GE(box.left, 0);
      EXPECT_GE(box.top, 0);
      EXPECT_LE(box.left + box.width, columns);
      EXPECT_LE(box.top + box.height, rows);
      EXPECT_LE(box.visible_lines, static_cast<int>(box.lines.size()));
      const int inner = box.width - 2 * ((box.border ? 1 : 0) + box.padding);
      for (const GlyphLine& line : box.lines) EXPECT_LE(CellWidthOf(line), std::max(inner, 1));
      if (!box.caption.empty()) {  // between the corners, a blank on each side
        EXPECT_LE(CellWidthOf(box.caption) + 4, box.width);
      }
    }
  }
}

TEST(TerminalLayout, HelpFitsAtEightyByTwentyThreeAndScrollsWhenSmaller) {
  const BoxLayout wide = HelpBox(80, 23);
  EXPECT_EQ(wide.lines.size(), 20u);  // the final line break adds no line
  EXPECT_EQ(wide.height, 22);
  EXPECT_EQ(wide.width, 35 + 4);  // "Brighter colors indicate peak times", frame, padding
  EXPECT_EQ(wide.visible_lines, 20);
  EXPECT_EQ(Text(wide.caption), "Help");
  const BoxLayout narrow = HelpBox(30, 16);
  EXPECT_EQ(narrow.visible_lines, 14);
  EXPECT_EQ(narrow.width, 25 + 4);      // "3. Select Set last period" is the widest line of 26
  EXPECT_GT(narrow.lines.size(), 20u);  // the long lines wrapped
}

TEST(TerminalLayout, PopupSitsAboveItsKeyAndFindsItsItems) {
  const std::vector<std::u16string> items = {u"Set last period", u"Help"};
  const BoxLayout popup = LayOutPopup(items, 1, 80, 23);
  EXPECT_EQ(Text(popup.lines[0]), "1 Set last period");
  EXPECT_EQ(popup.left, 0);
  EXPECT_EQ(popup.top + popup.height, 23);
  EXPECT_EQ(popup.width, 17 + 4);
  EXPECT_EQ(PopupItemAt(popup, 5, 20), 0);
  EXPECT_EQ(PopupItemAt(popup, 20, 21), 1);
  EXPECT_EQ(PopupItemAt(popup, 21, 21), -1);  // right of the frame
  EXPECT_EQ(PopupItemAt(popup, 5, 19), -1);   // the top border
  EXPECT_EQ(LayOutPopup(items, 2, 80, 23).left, 80 - 21);
  // Two rows cannot hold a frame as well: the items are shown without one.
  const BoxLayout small = LayOutPopup(items, 1, 10, 2);
  EXPECT_FALSE(small.border);
  EXPECT_EQ(small.visible_lines, 2);
  EXPECT_EQ(PopupItemAt(small, 0, 0), 0);
  EXPECT_EQ(PopupItemAt(small, 0, 1), 1);
  for (int rows = 0; rows < 5; ++rows) {
    const BoxLayout tiny = LayOutPopup(items, 1, 3, rows);
    EXPECT_GE(tiny.top, 0);
    EXPECT_LE(tiny.top + tiny.height, rows);
  }
}

}  // namespace

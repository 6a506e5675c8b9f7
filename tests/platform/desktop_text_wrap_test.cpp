// Word wrapping of message box text in the desktop window, with a measure of one unit per
// code unit (and a wide "W" where a case needs uneven widths).
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/sdl/text_wrap.h"

namespace {

int Units(std::u16string_view text) {
  int width = 0;
  for (char16_t c : text) width += c == u'W' ? 3 : 1;
  return width;
}

using Lines = std::vector<std::u16string>;

struct WrapCase {
  const char* name;
  std::u16string text;
  int width;
  Lines expected;
};

TEST(DesktopTextWrap, BreaksAtLineBreaksThenBetweenWords) {
  const WrapCase cases[] = {
      {"empty text has no lines", u"", 10, {}},
      {"short line stays whole", u"Fertile", 10, {u"Fertile"}},
      {"CR LF is one break", u"a\r\nb", 10, {u"a", u"b"}},
      {"LF and lone CR break too", u"a\nb\rc", 10, {u"a", u"b", u"c"}},
      {"empty lines are kept", u"Legend:\n\nSelect", 10, {u"Legend:", u"", u"Select"}},
      {"a final break adds no line", u"a\nb\n", 10, {u"a", u"b"}},
      {"only a break is one empty line", u"\r\n", 10, {u""}},
      {"words fill the width exactly", u"ab cd ef", 5, {u"ab cd", u"ef"}},
      {"spaces at a break are dropped", u"ab    cd", 3, {u"ab", u"cd"}},
      {"trailing spaces are dropped", u"ab   ", 10, {u"ab"}},
      {"indentation is kept on the first line", u"  ab cd", 10, {u"  ab cd"}},
      {"inner spacing is kept", u"a  b", 10, {u"a  b"}},
      {"tabs separate words", u"ab\tcd", 3, {u"ab", u"cd"}},
      {"a long word is split", u"abcdefgh", 3, {u"abc", u"def", u"gh"}},
      {"a long word after a short one starts a line", u"x abcdef", 4,
       {u"x", u"abcd", u"ef"}},
      {"the rest of a split word takes following words", u"abcde f", 4, {u"abcd", u"e f"}},
      {"uneven widths", u"WW a WWW", 7, {u"WW", u"a", u"WW", u"W"}},
      {"zero width still makes progress", u"abc", 0, {u"a", u"b", u"c"}},
  };
  for (const WrapCase& c : cases) {
    EXPECT_EQ(WrapText(c.text, c.width, Units), c.expected) << c.name;
  }
}

TEST(DesktopTextWrap, NeverSplitsASurrogatePair) {
  // Three astral characters (two units each) in a width of three units: one per line.
  const std::u16string text = u"\U0001F600\U0001F601\U0001F602";
  const Lines expected = {u"\U0001F600", u"\U0001F601", u"\U0001F602"};
  EXPECT_EQ(WrapText(text, 3, Units), expected);
}

TEST(DesktopTextWrap, EveryLineFitsAndNoTextIsLost) {
  std::u16string text;
  for (int i = 0; i < 200; ++i) {
    text += std::u16string(static_cast<std::size_t>(i % 13 + 1), u'x');
    text += i % 17 == 0 ? u"\r\n" : u" ";
  }
  for (int width : {1, 5, 12, 40}) {
    std::u16string joined;
    for (const std::u16string& line : WrapText(text, width, Units)) {
      EXPECT_LE(Units(line), width) << "width " << width << ": " << line.size();
      for (char16_t c : line) {
        if (c == u'x') joined += c;
      }
    }
    EXPECT_EQ(joined.size(), static_cast<std::size_t>(std::count(text.begin(), text.end(), u'x')))
        << "width " << width;
  }
}

}  // namespace

#include "platform/canvas/cells/cell_text.h"

#include <climits>
#include <cwchar>

#include "platform/text/unicode.h"

namespace {

bool g_unicode = false;

// Whether the locale's character set holds `c`, so that the terminal can show it.
bool LocaleHolds(char32_t c) {
  if (g_unicode || c < 0x80) return true;
  char bytes[MB_LEN_MAX];
  std::mbstate_t state{};
  return std::wcrtomb(bytes, static_cast<wchar_t>(c), &state) != static_cast<std::size_t>(-1);
}

// Adds one code point to the line: a new glyph, a mark on the previous one, or nothing.
void AddCodePoint(GlyphLine* line, char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
    line->push_back(CellGlyph{});  // a control character shows as a space
    return;
  }
  // Outside UTF-8 the replacement character itself may be missing from the set.
  const char32_t replacement = g_unicode ? kReplacementCharacter : U'?';
  if (!LocaleHolds(c)) {
    line->push_back(CellGlyph{{static_cast<char32_t>(StandInFor(c)), 0, 0}, 1});
    return;
  }
  const int width = wcwidth(static_cast<wchar_t>(c));
  if (width == 0) {
    if (line->empty()) return;  // a mark with nothing to sit on
    auto& text = line->back().text;
    if (text[1] == 0) {
      text[1] = c;
    } else if (text[2] == 0) {
      text[2] = c;
    }
    return;
  }
  if (width < 0) {
    line->push_back(CellGlyph{{replacement, 0, 0}, 1});
    return;
  }
  line->push_back(CellGlyph{{c, 0, 0}, width > 1 ? 2 : 1});
}

}  // namespace

void SetCellTextUnicode(bool unicode) { g_unicode = unicode; }
bool CellTextUnicode() { return g_unicode; }

GlyphLine GlyphsOf(std::u16string_view text) {
  GlyphLine line;
  line.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) AddCodePoint(&line, NextCodePoint(text, &at));
  return line;
}

int CellWidthOf(const GlyphLine& line) {
  int width = 0;
  for (const CellGlyph& glyph : line) width += glyph.width;
  return width;
}

int CellWidthOf(std::u16string_view text) { return CellWidthOf(GlyphsOf(text)); }

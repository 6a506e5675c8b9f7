#include "platform/terminal/cell_text.h"

#include <cwchar>

#include "platform/unicode.h"

namespace {

bool g_unicode = false;

// Adds one code point to the line: a new glyph, a mark on the previous one, or nothing.
void AddCodePoint(GlyphLine* line, char32_t c) {
  if (c < 0x20 || (c >= 0x7F && c < 0xA0)) {
    line->push_back(CellGlyph{});  // a control character shows as a space
    return;
  }
  if (!g_unicode) {
    if (c < 0x80) {
      line->push_back(CellGlyph{{c, 0, 0}, 1});
    } else if (c >= 0x2580 && c <= 0x259F) {
      // A block of a bar chart still reads as one in ASCII.
      line->push_back(CellGlyph{{U'#', 0, 0}, 1});
    } else if (wcwidth(static_cast<wchar_t>(c)) != 0) {
      // Without UTF-8 the C library may not know the character: a mark is dropped, anything
      // else is one '?' per glyph.
      line->push_back(CellGlyph{{U'?', 0, 0}, 1});
    }
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
    line->push_back(CellGlyph{{kReplacementCharacter, 0, 0}, 1});
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

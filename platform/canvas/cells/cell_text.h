// Text laid out in character cells: UTF-16 decoded into glyphs one or two cells wide (wide
// CJK characters take two, combining marks ride on the glyph before them), with the widths
// of the C library's locale (wcwidth). When the terminal's locale is not UTF-8, glyphs are
// the characters of its character set (Latin-1, KOI8-R...), and every other shows as '?'.
#pragma once

#include <array>
#include <string_view>
#include <vector>

// One glyph: a base character and up to two combining marks (0 where unused).
struct CellGlyph {
  std::array<char32_t, 3> text{U' ', 0, 0};
  int width = 1;  // cells taken: 1 or 2
  bool IsSpace() const { return text[0] == U' '; }
};
using GlyphLine = std::vector<CellGlyph>;

// Whether glyphs may be any printable Unicode character (true) or only those of the C
// library's locale, ASCII in the "C" locale (false, the default until the terminal front
// end has looked at the locale).
void SetCellTextUnicode(bool unicode);
bool CellTextUnicode();

// Decodes one line of text. Unpaired surrogates and characters that cannot be shown become
// U+FFFD (or '?'); control characters become spaces.
GlyphLine GlyphsOf(std::u16string_view text);

// The number of cells the glyphs take.
int CellWidthOf(const GlyphLine& line);
// The number of cells a line of text takes: the measure by which message boxes are wrapped.
int CellWidthOf(std::u16string_view text);

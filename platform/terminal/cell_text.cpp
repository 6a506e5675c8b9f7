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

// Wraps one line (no breaks inside) into *lines.
void WrapLine(const GlyphLine& glyphs, int width, std::vector<GlyphLine>* lines) {
  GlyphLine line;
  int used = 0;
  std::size_t break_at = 0;  // the line may end before this index; 0: no space seen yet
  bool wrapped = false;
  auto end_line = [&](std::size_t keep) {
    GlyphLine rest(line.begin() + static_cast<std::ptrdiff_t>(keep), line.end());
    line.resize(keep);
    while (!line.empty() && line.back().IsSpace()) line.pop_back();
    lines->push_back(std::move(line));
    line = std::move(rest);
    used = CellWidthOf(line);
    break_at = 0;
    wrapped = true;
  };
  for (const CellGlyph& glyph : glyphs) {
    if (wrapped && line.empty() && glyph.IsSpace()) continue;  // the break ate the space
    if (used + glyph.width > width && !line.empty()) {
      end_line(glyph.IsSpace() || break_at == 0 ? line.size() : break_at);
      if (glyph.IsSpace()) continue;
      // What was carried over plus this glyph is still too wide: a word longer than a line.
      if (used + glyph.width > width && !line.empty()) end_line(line.size());
    }
    line.push_back(glyph);
    used += glyph.width;
    if (glyph.IsSpace()) break_at = line.size();
  }
  lines->push_back(std::move(line));
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

std::vector<GlyphLine> WrapText(std::u16string_view text, int width) {
  std::vector<GlyphLine> lines;
  if (width < 1) width = 1;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(u"\r\n", start);
    if (end == std::u16string_view::npos) end = text.size();
    WrapLine(GlyphsOf(text.substr(start, end - start)), width, &lines);
    if (end == text.size()) break;
    start = end + (text.compare(end, 2, u"\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

#include "platform/terminal/terminal_layout.h"

#include <algorithm>
#include <string>

namespace {

constexpr int kBorderMinColumns = 3;   // narrower boxes have no frame
constexpr int kPaddingMinColumns = 8;  // narrower boxes have no blank column inside
constexpr int kCaptionMargin = 4;      // the two corners and a blank on each side

// Chooses frame and padding for a box in `columns` x `rows` whose lines need
// `framed_rows` rows with the frame, and returns the widest inner width. A box too small
// for a frame shows its lines without one.
int InnerLimit(int columns, int rows, int framed_rows, BoxLayout* box) {
  box->border = columns >= kBorderMinColumns && rows >= framed_rows;
  box->padding = columns >= kPaddingMinColumns ? 1 : 0;
  return std::max(1, columns - 2 * (box->border ? 1 : 0) - 2 * box->padding);
}

int Frame(const BoxLayout& box) { return (box.border ? 1 : 0) + box.padding; }

}  // namespace

GlyphLine FitGlyphs(const GlyphLine& line, int width) {
  GlyphLine fitted;
  int used = 0;
  for (const CellGlyph& glyph : line) {
    if (used + glyph.width > width) break;
    fitted.push_back(glyph);
    used += glyph.width;
  }
  return fitted;
}

BarLayout LayOutBar(std::u16string_view left, std::u16string_view right, int columns) {
  BarLayout bar;
  columns = std::max(columns, 0);
  const GlyphLine left_glyphs = GlyphsOf(left);
  const GlyphLine right_glyphs = GlyphsOf(right);
  const int left_width = CellWidthOf(left_glyphs);
  const int right_width = CellWidthOf(right_glyphs);
  if (right_glyphs.empty()) {
    bar.split = columns;
  } else if (left_glyphs.empty()) {
    bar.split = 0;
  } else {
    bar.split = left_width + right_width + 1 <= columns ? columns - right_width : (columns + 1) / 2;
    bar.split = std::clamp(bar.split, 0, columns);
  }
  bar.left.glyphs = FitGlyphs(left_glyphs, bar.split);
  bar.left.left = 0;
  bar.right.glyphs = FitGlyphs(right_glyphs, columns - bar.split);
  bar.right.left = columns - CellWidthOf(bar.right.glyphs);
  return bar;
}

int MessageTextLimit(int columns, int rows) {
  BoxLayout box;
  return InnerLimit(std::max(columns, 0), std::max(rows, 0), 3, &box);
}

BoxLayout LayOutMessageBox(const std::vector<std::u16string>& lines, std::u16string_view caption,
                           int columns, int rows) {
  BoxLayout box;
  columns = std::max(columns, 0);
  rows = std::max(rows, 0);
  const int limit = InnerLimit(columns, rows, 3, &box);
  // The box is as wide as its longest line, or the caption, but never wider than the area.
  int natural = 1;
  for (const std::u16string& line : lines) {
    box.lines.push_back(FitGlyphs(GlyphsOf(line), limit));
    natural = std::max(natural, CellWidthOf(box.lines.back()));
  }
  const GlyphLine caption_glyphs = GlyphsOf(caption);
  natural = std::max(natural, CellWidthOf(caption_glyphs) + kCaptionMargin - 2 * Frame(box));
  const int inner = std::min(natural, limit);
  box.width = std::min(columns, inner + 2 * Frame(box));
  const int frame_rows = box.border ? 2 : 0;
  box.height = std::min(rows, static_cast<int>(box.lines.size()) + frame_rows);
  box.visible_lines = std::max(0, box.height - frame_rows);
  box.left = (columns - box.width) / 2;
  box.top = (rows - box.height) / 2;
  if (box.border) box.caption = FitGlyphs(caption_glyphs, box.width - kCaptionMargin);
  return box;
}

BoxLayout LayOutPopup(const std::vector<std::u16string>& items, int key, int columns, int rows) {
  BoxLayout box;
  columns = std::max(columns, 0);
  rows = std::max(rows, 0);
  const int limit = InnerLimit(columns, rows, static_cast<int>(items.size()) + 2, &box);
  int natural = 1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::u16string label = items[i];
    if (i < 9) label = std::u16string(1, static_cast<char16_t>(u'1' + i)) + u" " + label;
    box.lines.push_back(FitGlyphs(GlyphsOf(label), limit));
    natural = std::max(natural, CellWidthOf(box.lines.back()));
  }
  box.width = std::min(columns, std::min(natural, limit) + 2 * Frame(box));
  const int frame_rows = box.border ? 2 : 0;
  box.height = std::min(rows, static_cast<int>(box.lines.size()) + frame_rows);
  box.visible_lines = std::max(0, box.height - frame_rows);
  box.left = key == 1 ? 0 : columns - box.width;
  box.top = rows - box.height;
  return box;
}

int PopupItemAt(const BoxLayout& popup, int x, int y) {
  const int first_row = popup.top + (popup.border ? 1 : 0);
  if (x < popup.left || x >= popup.left + popup.width || y < first_row ||
      y >= first_row + popup.visible_lines) {
    return -1;
  }
  const int item = y - first_row;
  return item < static_cast<int>(popup.lines.size()) ? item : -1;
}

#include "platform/canvas/cells/cell_canvas.h"

#include <algorithm>
#include <cstdint>

#include "platform/canvas/canvas_box.h"
#include "platform/canvas/cells/cell_text.h"
#include "platform/canvas/colours.h"

namespace {

Cell Blank(Rgb background) {
  Cell cell;
  cell.foreground = kBlack;
  cell.background = background;
  return cell;
}

// The first cell and the row of a line `text_width` cells wide centred in rect.
struct LinePlace {
  std::int64_t left;
  std::int64_t row;
};
LinePlace CentredLine(const Rect& rect, std::int64_t text_width) {
  // On an even height the line sits below the middle: the top row of a cell is also the
  // bottom edge of the cell above it for taps, so the text row is the one a tap owns.
  return {rect.left + (std::int64_t{rect.right} - rect.left - text_width) / 2,
          rect.top + (std::int64_t{rect.bottom} - rect.top) / 2};
}

std::int32_t ToLong(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

CellCanvas::CellCanvas(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      cells_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), Blank(kBlack)) {}

CanvasMaker CellCanvas::Maker() const { return MakeCellCanvas; }

void CellCanvas::Unsplit(int y, int left, int right) {
  Cell* row = Row(y);
  if (left > 0 && left < width_ && row[left].part == Cell::Part::kWideTail) {
    row[left - 1] = Blank(row[left - 1].background);
  }
  if (right > 0 && right < width_ && row[right].part == Cell::Part::kWideTail) {
    row[right] = Blank(row[right].background);
  }
}

void CellCanvas::Fill(const Rect& rect, Rgb colour) {
  const CanvasBox box = ClipBox(rect.left, rect.top, rect.right, rect.bottom, Bounds());
  if (box.Empty()) return;
  for (int y = box.top; y < box.bottom; ++y) {
    Unsplit(y, box.left, box.right);
    std::fill(Row(y) + box.left, Row(y) + box.right, Blank(colour));
  }
}

Rect CellCanvas::TextInk(const Rect& rect, std::u16string_view text, Rgb, Rgb) {
  const GlyphLine glyphs = GlyphsOf(text);
  const LinePlace place = CentredLine(rect, CellWidthOf(glyphs));
  std::int64_t left = place.left;
  std::int64_t right = place.left;  // [left, right): from the first glyph that shows to the last
  bool shown = false;
  std::int64_t x = place.left;
  for (const CellGlyph& glyph : glyphs) {
    if (!glyph.IsSpace()) {
      if (!shown) left = x;
      right = x + glyph.width;
      shown = true;
    }
    x += glyph.width;
  }
  if (!shown) right = left;
  return Rect{ToLong(left), ToLong(place.row), ToLong(right), ToLong(place.row + 1)};
}

int CellCanvas::DrawTextCentred(const Rect& rect, std::u16string_view text, Rgb foreground,
                                Rgb background) {
  const GlyphLine glyphs = GlyphsOf(text);
  const std::int64_t text_width = CellWidthOf(glyphs);
  const auto [left, row] = CentredLine(rect, text_width);
  const CanvasBox clip = ClipBox(rect.left, rect.top, rect.right, rect.bottom, Bounds());
  const CanvasBox box = ClipBox(left, row, left + text_width, row + 1, clip);
  if (box.Empty()) return 1;
  Unsplit(box.top, box.left, box.right);
  Cell* cells = Row(box.top);
  Cell blank = Blank(background);
  blank.foreground = foreground;
  std::fill(cells + box.left, cells + box.right, blank);
  std::int64_t x = left;
  for (const CellGlyph& glyph : glyphs) {
    // A glyph that does not fit whole inside the clip leaves its cells blank.
    if (x >= box.left && x + glyph.width <= box.right) {
      Cell& cell = cells[x];
      cell.text = glyph.text;
      if (glyph.width == 2) {
        cell.part = Cell::Part::kWideLead;
        cells[x + 1].part = Cell::Part::kWideTail;
        cells[x + 1].text = {0, 0, 0};
      }
    }
    x += glyph.width;
  }
  return 1;
}

void CellCanvas::Blit(int x, int y, int width, int height, const Canvas& source, int sx, int sy) {
  const CanvasBox area = ClipBlock(x, y, width, height, Bounds());
  if (area.Empty()) return;
  const auto* cells = dynamic_cast<const CellCanvas*>(&source);
  const std::int64_t dx = std::int64_t{x} - sx;
  const std::int64_t dy = std::int64_t{y} - sy;
  // The part of the area whose source cells exist; the rest has no picture and turns white.
  const CanvasBox copied = cells == nullptr
                               ? CanvasBox{}
                               : ClipBox(dx, dy, dx + cells->width_, dy + cells->height_, area);
  std::vector<Cell> line;
  for (int row = area.top; row < area.bottom; ++row) {
    line.assign(static_cast<std::size_t>(area.right - area.left), Blank(kWhite));
    if (!copied.Empty() && row >= copied.top && row < copied.bottom) {
      const Cell* from = cells->cells_.data() + (row - dy) * cells->width_ + (copied.left - dx);
      Cell* to = line.data() + (copied.left - area.left);
      std::copy(from, from + (copied.right - copied.left), to);
      // Halves of wide glyphs whose other half stayed behind become blanks.
      if (to[0].part == Cell::Part::kWideTail) to[0] = Blank(to[0].background);
      Cell& last = to[copied.right - copied.left - 1];
      if (last.part == Cell::Part::kWideLead) last = Blank(last.background);
    }
    Unsplit(row, area.left, area.right);
    std::copy(line.begin(), line.end(), Row(row) + area.left);
  }
}

std::unique_ptr<Canvas> MakeCellCanvas(int width, int height) {
  if (width < 0 || height < 0) return nullptr;
  return std::make_unique<CellCanvas>(width, height);
}

// Putting the terminal backend's state on the screen: the client area as last painted, the
// soft-key bar, and over them the open popup or message box, in one update.
#include <algorithm>

#include "platform/canvas/colours.h"
#include "platform/terminal/terminal_backend.h"

namespace {

// Boxes are black on white like the month view; the chosen item is coloured like the
// selected day; the bar is the terminal's own colours reversed, set apart from the view, and
// a key held open by its popup is drawn in them unreversed, as pressed.
constexpr CellStyle kBoxStyle{kBlack, kWhite, false, false};
constexpr CellStyle kCaptionStyle{kBlack, kWhite, true, false};
constexpr CellStyle kChosenStyle{kWhite, kDarkBlue, false, false};
constexpr CellStyle kBarStyle{kBlack, kWhite, false, true};
constexpr CellStyle kBarLabelStyle{kBlack, kWhite, true, true};
constexpr CellStyle kOpenKeyStyle{kBlack, kWhite, true, false};

// The pieces of a frame: corners, edges and the two scroll marks.
struct FrameGlyphs {
  char32_t top_left, top_right, bottom_left, bottom_right, horizontal, vertical, up, down;
};
constexpr FrameGlyphs kUnicodeFrame{U'┌', U'┐', U'└', U'┘', U'─', U'│', U'▲', U'▼'};
constexpr FrameGlyphs kAsciiFrame{U'+', U'+', U'+', U'+', U'-', U'|', U'^', U'v'};

CellGlyph Glyph(char32_t c) { return CellGlyph{{c, 0, 0}, 1}; }

}  // namespace

// The cursor goes where a screen reader should read: the highlighted item of a popup, the
// first line a box shows, or else the window's focus box (the selected day).
void TerminalBackend::Present(const Canvas* picture, ModalModel& modal, bool repaint_all) {
  modal_ = &modal;
  if (const auto* cells = dynamic_cast<const CellCanvas*>(picture)) {
    shown_ = *cells;
    painted_ = true;
  }
  Draw(repaint_all);
}

void TerminalBackend::Draw(bool repaint_all) {
  DrawPicture();
  DrawBar();
  Point cursor = FocusPlace();
  switch (modal_->showing()) {
    case ModalModel::Showing::kPopup: {
      const BoxLayout popup = PopupLayout();
      DrawBox(popup, modal_->highlighted(), 0);
      cursor = LineStart(popup, modal_->highlighted(), cursor);
      break;
    }
    case ModalModel::Showing::kMessageBox: {
      // Laid out before the first line is read: a new size may move it.
      const BoxLayout box = MessageBoxLayout();
      DrawBox(box, -1, modal_->first_line());
      cursor = LineStart(box, 0, cursor);
      break;
    }
    case ModalModel::Showing::kNothing:
      break;
  }
  screen_->Flush(repaint_all, cursor.x, cursor.y);
}

Point TerminalBackend::FocusPlace() const {
  if (shown_window_ == nullptr || !shown_window_->focus_box()) return Point{0, 0};
  const Rect box = *shown_window_->focus_box();
  if (box.left >= shown_.Width() || box.top >= shown_.Height()) return Point{0, 0};
  return Point{box.left, box.top};
}

// The first cell of the box's `row`th line shown; `otherwise` for a box with no line shown.
Point TerminalBackend::LineStart(const BoxLayout& box, int row, Point otherwise) {
  if (box.width <= 0 || box.height <= 0 || box.visible_lines <= 0) return otherwise;
  const int edge = box.border ? 1 : 0;
  return Point{box.left + edge + box.padding,
               box.top + edge + std::clamp(row, 0, box.visible_lines - 1)};
}

void TerminalBackend::DrawPicture() {
  const int rows = ClientRows();
  const int columns = screen_->Columns();
  const CellGlyph blank;
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < columns; ++x) {
      // Outside the last picture (a larger terminal not yet repainted) the view is white.
      if (x < shown_.Width() && y < shown_.Height()) {
        screen_->PutCell(x, y, shown_.At(x, y));
      } else {
        screen_->PutGlyph(x, y, blank, kBoxStyle);
      }
    }
  }
}

BarLayout TerminalBackend::CurrentBar() const {
  const SoftKeyBarLabels labels = modal_->BarLabels();
  return LayOutBar(labels.left, labels.right, screen_->Columns());
}

void TerminalBackend::DrawBar() {
  const int y = screen_->Rows() - 1;
  const int columns = screen_->Columns();
  if (y < 0) return;
  const BarLayout bar = CurrentBar();
  const int open_key = modal_->BarLabels().open_key;
  FillRow(0, y, columns, kBarStyle);
  DrawLine(bar.left.left, y, bar.left.glyphs, columns,
           open_key == 1 ? kOpenKeyStyle : kBarLabelStyle);
  DrawLine(bar.right.left, y, bar.right.glyphs, columns,
           open_key == 2 ? kOpenKeyStyle : kBarLabelStyle);
}

BoxLayout TerminalBackend::PopupLayout() const {
  return LayOutPopup(modal_->popup_items(), modal_->popup_key(), screen_->Columns(), ClientRows());
}

// Lays the box out for the screen as it is now, wrapping its text in cells.
BoxLayout TerminalBackend::MessageBoxLayout() {
  const int columns = screen_->Columns();
  const int rows = ClientRows();
  modal_->WrapBoxText(MessageTextLimit(columns, rows),
                      [](std::u16string_view piece) { return CellWidthOf(piece); });
  BoxLayout layout = LayOutMessageBox(modal_->lines(), modal_->caption(), columns, rows);
  modal_->SetVisibleLines(layout.visible_lines);
  return layout;
}

void TerminalBackend::FillRow(int left, int y, int width, const CellStyle& style) {
  const CellGlyph blank;
  for (int x = left; x < left + width; ++x) screen_->PutGlyph(x, y, blank, style);
}

void TerminalBackend::DrawLine(int left, int y, const GlyphLine& line, int width,
                               const CellStyle& style) {
  int x = left;
  for (const CellGlyph& glyph : line) {
    if (x + glyph.width > left + width) break;
    screen_->PutGlyph(x, y, glyph, style);
    x += glyph.width;
  }
}

void TerminalBackend::DrawFrame(const BoxLayout& box, int scroll) {
  const FrameGlyphs& frame = CellTextUnicode() ? kUnicodeFrame : kAsciiFrame;
  const int right = box.left + box.width - 1;
  const int bottom = box.top + box.height - 1;
  for (int x = box.left + 1; x < right; ++x) {
    screen_->PutGlyph(x, box.top, Glyph(frame.horizontal), kBoxStyle);
    screen_->PutGlyph(x, bottom, Glyph(frame.horizontal), kBoxStyle);
  }
  for (int y = box.top + 1; y < bottom; ++y) {
    screen_->PutGlyph(box.left, y, Glyph(frame.vertical), kBoxStyle);
    screen_->PutGlyph(right, y, Glyph(frame.vertical), kBoxStyle);
  }
  screen_->PutGlyph(box.left, box.top, Glyph(frame.top_left), kBoxStyle);
  screen_->PutGlyph(right, box.top, Glyph(frame.top_right), kBoxStyle);
  screen_->PutGlyph(box.left, bottom, Glyph(frame.bottom_left), kBoxStyle);
  screen_->PutGlyph(right, bottom, Glyph(frame.bottom_right), kBoxStyle);
  if (!box.caption.empty()) {
    const int caption_width = CellWidthOf(box.caption);
    FillRow(box.left + 1, box.top, caption_width + 2, kBoxStyle);
    DrawLine(box.left + 2, box.top, box.caption, caption_width, kCaptionStyle);
  }
  // Marks on the right edge say that more lines lie above or below.
  if (scroll > 0) screen_->PutGlyph(right - 1, box.top, Glyph(frame.up), kBoxStyle);
  if (scroll + box.visible_lines < static_cast<int>(box.lines.size())) {
    screen_->PutGlyph(right - 1, bottom, Glyph(frame.down), kBoxStyle);
  }
}

void TerminalBackend::DrawBox(const BoxLayout& box, int selected, int scroll) {
  if (box.width <= 0 || box.height <= 0) return;
  for (int y = box.top; y < box.top + box.height; ++y) FillRow(box.left, y, box.width, kBoxStyle);
  if (box.border) DrawFrame(box, scroll);
  const int edge = box.border ? 1 : 0;
  const int inset = edge + box.padding;
  const int first_row = box.top + edge;
  for (int i = 0; i < box.visible_lines; ++i) {
    const auto line = static_cast<std::size_t>(scroll + i);
    if (line >= box.lines.size()) break;
    const bool chosen = scroll + i == selected;
    const CellStyle& style = chosen ? kChosenStyle : kBoxStyle;
    if (chosen) FillRow(box.left + edge, first_row + i, box.width - 2 * edge, style);
    DrawLine(box.left + inset, first_row + i, box.lines[line], box.width - 2 * inset, style);
  }
}

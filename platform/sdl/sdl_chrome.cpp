#include "platform/sdl/sdl_chrome.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/canvas/colours.h"
#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/canvas/pixels/pixel_text.h"

namespace {

// Units of a 240-pixel-wide screen, the size the month view was first drawn for.
constexpr int kBarHeight = 26;
constexpr int kBarFont = 14;
constexpr int kBarMargin = 8;
constexpr int kItemHeight = 26;
constexpr int kItemFont = 14;
constexpr int kItemMargin = 8;
constexpr int kCaptionHeight = 26;
constexpr int kCaptionFont = 14;
constexpr int kTextFont = 13;
constexpr int kTextMargin = 6;
constexpr int kScrollBarWidth = 3;
constexpr int kBorder = 1;

// Greys of the bar and the scroll bar; the rest is the month view's palette where it fits
// (platform/canvas/colours.h): the popup and the caption band take the weekday blue and dark blue.
constexpr Rgb kBarBackground = Rgb{40, 40, 40};
constexpr Rgb kBarOpenKey = Rgb{90, 90, 90};
constexpr Rgb kBarLabel = kWhite;
constexpr Rgb kScrollTrack = Rgb{225, 225, 225};
constexpr Rgb kScrollThumb = Rgb{140, 140, 140};

int Right(const SDL_Rect& rect) { return rect.x + rect.w; }
int Bottom(const SDL_Rect& rect) { return rect.y + rect.h; }

bool Contains(const SDL_Rect& rect, int x, int y) {
  return x >= rect.x && x < Right(rect) && y >= rect.y && y < Bottom(rect);
}

Rect RectOf(const SDL_Rect& rect) {
  const auto end = [](int start, int length) {
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(std::int64_t{start} + length, INT32_MAX));
  };
  return Rect{rect.x, rect.y, end(rect.x, rect.w), end(rect.y, rect.h)};
}

void FillArea(Canvas& frame, const SDL_Rect& area, Rgb colour) { frame.Fill(RectOf(area), colour); }

// The width of `text` drawn at `font_size`; 0 when no font can be opened.
int TextWidth(std::u16string_view text, int font_size) {
  TextImage image;
  return RenderTextLine(text, font_size, kBlack, kWhite, &image) ? image.width : 0;
}

// The height of one line of text at `font_size`.
int LineHeight(int font_size) {
  TextImage image;
  return RenderTextLine(u"", font_size, kBlack, kWhite, &image) ? image.height : font_size;
}

// Draws `text` vertically centred in `box`, starting `margin` pixels from its left edge, or
// ending that far from its right edge.
void DrawLabel(Canvas& frame, const SDL_Rect& box, std::u16string_view text, int font_size,
               int margin, bool align_right, Rgb foreground, Rgb background) {
  if (text.empty()) return;
  const int top = box.y + (box.h - LineHeight(font_size)) / 2;
  const int left = align_right ? Right(box) - margin - TextWidth(text, font_size) : box.x + margin;
  DrawTextLineAt(frame, left, top, RectOf(box), text, font_size, foreground, background);
}

// The label of popup item `index`: its number, then its text, as a phone's menu shows them.
std::u16string ItemLabel(const MenuItems& items, std::size_t index) {
  std::u16string label;
  if (index < 9) label = std::u16string(1, static_cast<char16_t>(u'1' + index)) + u"  ";
  return label + items[index];
}

}  // namespace

int ScaledPixels(float ui, int units) {
  return std::max(1, static_cast<int>(std::lround(static_cast<double>(ui) * units)));
}

int SoftKeyBarHeight(float ui) { return ScaledPixels(ui, kBarHeight); }

void DrawSoftKeyBar(Canvas& frame, const SDL_Rect& bar, const SoftKeyBarLabels& labels, float ui) {
  FillArea(frame, bar, kBarBackground);
  const int font = ScaledPixels(ui, kBarFont);
  const int margin = ScaledPixels(ui, kBarMargin);
  const SDL_Rect left{bar.x, bar.y, bar.w / 2, bar.h};
  const SDL_Rect right{bar.x + bar.w / 2, bar.y, bar.w - bar.w / 2, bar.h};
  const Rgb left_background = labels.open_key == 1 ? kBarOpenKey : kBarBackground;
  const Rgb right_background = labels.open_key == 2 ? kBarOpenKey : kBarBackground;
  if (labels.open_key == 1) {
    FillArea(frame, SDL_Rect{left.x, left.y, TextWidth(labels.left, font) + 2 * margin, left.h},
             kBarOpenKey);
  } else if (labels.open_key == 2) {
    const int open_width = TextWidth(labels.right, font) + 2 * margin;
    FillArea(frame, SDL_Rect{Right(right) - open_width, right.y, open_width, right.h}, kBarOpenKey);
  }
  DrawLabel(frame, left, labels.left, font, margin, false, kBarLabel, left_background);
  DrawLabel(frame, right, labels.right, font, margin, true, kBarLabel, right_background);
}

int SoftKeyAt(const SDL_Rect& bar, int x, int y) {
  if (!Contains(bar, x, y)) return 0;
  return x < bar.x + bar.w / 2 ? 1 : 2;
}

SDL_Rect PopupArea(const MenuItems& items, int client_width, int client_height, float ui) {
  const int font = ScaledPixels(ui, kItemFont);
  int width = client_width / 2;
  for (std::size_t i = 0; i < items.size(); ++i) {
    width = std::max(
        width, TextWidth(ItemLabel(items, i), font) + 2 * ScaledPixels(ui, kItemMargin + kBorder));
  }
  width = std::min(width, client_width);
  const int height =
      std::min(client_height, static_cast<int>(items.size()) * ScaledPixels(ui, kItemHeight) +
                                  2 * ScaledPixels(ui, kBorder));
  return SDL_Rect{0, client_height - height, width, height};
}

void DrawPopup(Canvas& frame, const SDL_Rect& area, const MenuItems& items, int highlighted,
               float ui) {
  const int border = ScaledPixels(ui, kBorder);
  const int item_height = ScaledPixels(ui, kItemHeight);
  const int font = ScaledPixels(ui, kItemFont);
  FillArea(frame, area, kDarkBlue);
  const SDL_Rect inside{area.x + border, area.y + border, area.w - 2 * border, area.h - 2 * border};
  FillArea(frame, inside, kWhite);
  for (std::size_t i = 0; i < items.size(); ++i) {
    SDL_Rect item{inside.x, inside.y + static_cast<int>(i) * item_height, inside.w, item_height};
    SDL_IntersectRect(&item, &inside, &item);
    const bool lit = static_cast<int>(i) == highlighted;
    if (lit) FillArea(frame, item, kBlue);
    DrawLabel(frame, item, ItemLabel(items, i), font, ScaledPixels(ui, kItemMargin), false,
              lit ? kWhite : kBlack, lit ? kBlue : kWhite);
  }
}

int PopupItemAt(const SDL_Rect& area, const MenuItems& items, int x, int y, float ui) {
  const int border = ScaledPixels(ui, kBorder);
  if (!Contains(area, x, y) || y < area.y + border) return -1;
  const int item = (y - area.y - border) / ScaledPixels(ui, kItemHeight);
  return item < static_cast<int>(items.size()) ? item : -1;
}

MessageBoxLayout LayoutMessageBox(int client_width, int client_height, float ui) {
  MessageBoxLayout layout;
  layout.area = SDL_Rect{0, 0, client_width, client_height};
  layout.caption =
      SDL_Rect{0, 0, client_width, std::min(client_height, ScaledPixels(ui, kCaptionHeight))};
  layout.font_size = ScaledPixels(ui, kTextFont);
  layout.caption_font_size = ScaledPixels(ui, kCaptionFont);
  layout.line_height = std::max(1, LineHeight(layout.font_size));
  const int margin = ScaledPixels(ui, kTextMargin);
  const int scroll_bar = ScaledPixels(ui, kScrollBarWidth);
  const int top = Bottom(layout.caption) + margin / 2;
  layout.text = SDL_Rect{margin, top, std::max(0, client_width - 2 * margin - scroll_bar),
                         std::max(0, client_height - top - margin / 2)};
  layout.visible_lines = std::max(1, layout.text.h / layout.line_height);
  return layout;
}

TextMeasure MessageTextMeasure(const MessageBoxLayout& layout) {
  const int font = layout.font_size;
  return [font](std::u16string_view piece) { return TextWidth(piece, font); };
}

void DrawMessageBox(Canvas& frame, const MessageBoxLayout& layout, std::u16string_view caption,
                    const std::vector<std::u16string>& lines, int first_line, float ui) {
  FillArea(frame, layout.area, kWhite);
  FillArea(frame, layout.caption, kBlue);
  DrawLabel(frame, layout.caption, caption, layout.caption_font_size, ScaledPixels(ui, kTextMargin),
            false, kWhite, kBlue);
  const int count = static_cast<int>(std::min<std::size_t>(lines.size(), 1 << 24));
  for (int i = 0; i < layout.visible_lines && first_line + i < count; ++i) {
    DrawTextLineAt(frame, layout.text.x, layout.text.y + i * layout.line_height,
                   RectOf(layout.text), lines[static_cast<std::size_t>(first_line + i)],
                   layout.font_size, kBlack, kWhite);
  }
  if (count <= layout.visible_lines || layout.text.h <= 0) return;
  // The scroll bar: the thumb's share of the track is the share of the lines shown.
  const int width = ScaledPixels(ui, kScrollBarWidth);
  const SDL_Rect track{layout.area.w - width - ScaledPixels(ui, kTextMargin) / 2, layout.text.y,
                       width, layout.text.h};
  FillArea(frame, track, kScrollTrack);
  const auto thumb_height = static_cast<int>(std::int64_t{track.h} * layout.visible_lines / count);
  const auto thumb_top = static_cast<int>(std::int64_t{track.h} * first_line / count);
  FillArea(frame, SDL_Rect{track.x, track.y + thumb_top, width, std::max(thumb_height, width)},
           kScrollThumb);
}

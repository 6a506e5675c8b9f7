#include "platform/sdl/sdl_canvas.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/gdi_text.h"

namespace {

constexpr std::uint32_t kWhitePixel = 0x00FFFFFF;

// A clipped rectangle; empty when right <= left or bottom <= top.
struct Box {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
};

Box Clip(std::int64_t left, std::int64_t top, std::int64_t right, std::int64_t bottom,
         const Box& limit) {
  return Box{static_cast<int>(std::max<std::int64_t>(left, limit.left)),
             static_cast<int>(std::max<std::int64_t>(top, limit.top)),
             static_cast<int>(std::min<std::int64_t>(right, limit.right)),
             static_cast<int>(std::min<std::int64_t>(bottom, limit.bottom))};
}

Box BoundsOf(const SDL_Surface* surface) { return Box{0, 0, surface->w, surface->h}; }

Box BoxOf(const SDL_Rect& rect) {
  return Box{rect.x, rect.y, static_cast<int>(std::int64_t{rect.x} + rect.w),
             static_cast<int>(std::int64_t{rect.y} + rect.h)};
}

std::uint32_t ToPixel(COLORREF colour) {
  return (std::uint32_t{GetRValue(colour)} << 16) | (std::uint32_t{GetGValue(colour)} << 8) |
         GetBValue(colour);
}

std::uint32_t* Row(const SDL_Surface* surface, int y) {
  return reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface->pixels) +
                                          static_cast<std::ptrdiff_t>(y) * surface->pitch);
}

void FillBox(SDL_Surface* surface, const Box& box, std::uint32_t pixel) {
  if (box.Empty()) return;
  for (int y = box.top; y < box.bottom; ++y) {
    std::fill(Row(surface, y) + box.left, Row(surface, y) + box.right, pixel);
  }
}

// Copies the rows of `to` from `from` (pitch in pixels); within one surface a copy downwards
// must start from its last row.
void CopyRows(SDL_Surface* surface, const Box& to, const std::uint32_t* from,
              std::ptrdiff_t from_pitch, bool may_overlap) {
  const auto count = static_cast<std::size_t>(to.right - to.left) * sizeof(std::uint32_t);
  const int rows = to.bottom - to.top;
  const bool backwards = may_overlap && from < Row(surface, to.top) + to.left;
  for (int i = 0; i < rows; ++i) {
    const int row = backwards ? rows - 1 - i : i;
    std::memmove(Row(surface, to.top + row) + to.left, from + row * from_pitch, count);
  }
}

// Draws a rendered line with its box's top left corner at (left, top), clipped to `clip`.
void PutText(SDL_Surface* surface, std::int64_t left, std::int64_t top, const Box& clip,
             const TextImage& image) {
  const Box to = Clip(left, top, left + image.width, top + image.height, clip);
  if (to.Empty()) return;
  const std::uint32_t* from = image.pixels + (to.top - top) * image.pitch + (to.left - left);
  CopyRows(surface, to, from, image.pitch, false);
}

class DesktopCanvas final : public Canvas {
 public:
  explicit DesktopCanvas(SDL_Surface* surface) : surface_(surface) {}
  ~DesktopCanvas() override { SDL_FreeSurface(surface_); }
  DesktopCanvas(const DesktopCanvas&) = delete;
  DesktopCanvas& operator=(const DesktopCanvas&) = delete;

  int Width() const override { return surface_->w; }
  int Height() const override { return surface_->h; }
  CanvasMaker Maker() const override { return MakeDesktopCanvas; }
  const SDL_Surface* Surface() const { return surface_; }

  void Fill(const RECT& rect, COLORREF colour) override {
    FillBox(surface_, Clip(rect.left, rect.top, rect.right, rect.bottom, BoundsOf(surface_)),
            ToPixel(colour));
  }

  int DrawTextCentred(const RECT& rect, std::u16string_view text, COLORREF foreground,
                      COLORREF background) override {
    const std::int64_t rect_width = std::int64_t{rect.right} - rect.left;
    const std::int64_t rect_height = std::int64_t{rect.bottom} - rect.top;
    TextImage image;
    if (!RenderTextLine(text, FontSizeForHeight(rect_height), foreground, background,
                        &image)) {
      return 0;
    }
    if (image.width == 0) return image.height;
    const Box clip = Clip(rect.left, rect.top, rect.right, rect.bottom, BoundsOf(surface_));
    PutText(surface_, rect.left + (rect_width - image.width) / 2,
            rect.top + (rect_height - image.height) / 2, clip, image);
    return image.height;
  }

  void Blit(int x, int y, int width, int height, const Canvas& source, int sx,
            int sy) override;

 private:
  void CopyForeign(const Box& copied, const Canvas& source, std::int64_t dx, std::int64_t dy);

  SDL_Surface* surface_;
};

void DesktopCanvas::Blit(int x, int y, int width, int height, const Canvas& source, int sx,
                         int sy) {
  const Box area = Clip(x, y, std::int64_t{x} + std::max(width, 0),
                        std::int64_t{y} + std::max(height, 0), BoundsOf(surface_));
  if (area.Empty()) return;
  // The part of the area whose source pixels exist, in this canvas's coordinates.
  const std::int64_t dx = std::int64_t{x} - sx;
  const std::int64_t dy = std::int64_t{y} - sy;
  const Box copied = Clip(dx, dy, dx + source.Width(), dy + source.Height(), area);
  if (copied.Empty()) return FillBox(surface_, area, kWhitePixel);
  FillBox(surface_, Box{area.left, area.top, area.right, copied.top}, kWhitePixel);
  FillBox(surface_, Box{area.left, copied.bottom, area.right, area.bottom}, kWhitePixel);
  FillBox(surface_, Box{area.left, copied.top, copied.left, copied.bottom}, kWhitePixel);
  FillBox(surface_, Box{copied.right, copied.top, area.right, copied.bottom}, kWhitePixel);
  const auto* same_kind = dynamic_cast<const DesktopCanvas*>(&source);
  if (same_kind == nullptr) return CopyForeign(copied, source, dx, dy);
  const std::uint32_t* from =
      Row(same_kind->surface_, static_cast<int>(copied.top - dy)) + (copied.left - dx);
  CopyRows(surface_, copied, from, same_kind->surface_->pitch / 4, same_kind == this);
}

// A canvas of another kind (a pixel canvas made before this backend was installed) is read
// point by point; one without pixels reads as white.
void DesktopCanvas::CopyForeign(const Box& copied, const Canvas& source, std::int64_t dx,
                                std::int64_t dy) {
  for (int y = copied.top; y < copied.bottom; ++y) {
    std::uint32_t* row = Row(surface_, y);
    for (int x = copied.left; x < copied.right; ++x) {
      const COLORREF colour =
          PixelAt(source, static_cast<int>(x - dx), static_cast<int>(y - dy));
      row[x] = colour == 0xFFFFFFFF ? kWhitePixel : ToPixel(colour);
    }
  }
}

}  // namespace

std::unique_ptr<Canvas> MakeDesktopCanvas(int width, int height) {
  if (width < 0 || height < 0) return nullptr;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
  if (surface == nullptr) return nullptr;
  if (surface->pixels != nullptr) {
    std::memset(surface->pixels, 0,
                static_cast<std::size_t>(surface->pitch) * static_cast<std::size_t>(surface->h));
  }
  return std::make_unique<DesktopCanvas>(surface);
}

const SDL_Surface* DesktopCanvasSurface(const Canvas& canvas) {
  const auto* desktop = dynamic_cast<const DesktopCanvas*>(&canvas);
  return desktop != nullptr ? desktop->Surface() : nullptr;
}

void FillArea(SDL_Surface* surface, const SDL_Rect& area, COLORREF colour) {
  const Box box = BoxOf(area);
  FillBox(surface, Clip(box.left, box.top, box.right, box.bottom, BoundsOf(surface)),
          ToPixel(colour));
}

int DrawTextAt(SDL_Surface* surface, int x, int y, const SDL_Rect& clip, std::u16string_view text,
               int font_size, COLORREF foreground, COLORREF background) {
  TextImage image;
  if (!RenderTextLine(text, font_size, foreground, background, &image) || image.width == 0) {
    return 0;
  }
  const Box limit = BoxOf(clip);
  PutText(surface, x, y, Clip(limit.left, limit.top, limit.right, limit.bottom, BoundsOf(surface)),
          image);
  return image.width;
}

int TextWidth(std::u16string_view text, int font_size) {
  TextImage image;
  return RenderTextLine(text, font_size, RGB(0, 0, 0), RGB(255, 255, 255), &image) ? image.width
                                                                                  : 0;
}

int LineHeight(int font_size) {
  TextImage image;
  return RenderTextLine(u"", font_size, RGB(0, 0, 0), RGB(255, 255, 255), &image) ? image.height
                                                                                 : font_size;
}

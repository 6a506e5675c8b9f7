// The pixel canvas: one 32-bit XRGB SDL surface, made without any video device. Copies are
// plain row copies, which is what keeps a month view paint well under a millisecond.
#include "platform/canvas/pixels/pixel_canvas.h"

#include <SDL.h>
#include <SDL_image.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/canvas/canvas_box.h"
#include "platform/canvas/pixels/pixel_text.h"

namespace {

constexpr std::uint32_t kWhitePixel = 0x00FFFFFF;

std::uint32_t ToPixel(Rgb colour) {
  return (std::uint32_t{colour.red} << 16) | (std::uint32_t{colour.green} << 8) | colour.blue;
}

class PixelCanvas final : public Canvas {
 public:
  explicit PixelCanvas(SDL_Surface* surface) : surface_(surface) {}
  ~PixelCanvas() override { SDL_FreeSurface(surface_); }
  PixelCanvas(const PixelCanvas&) = delete;
  PixelCanvas& operator=(const PixelCanvas&) = delete;

  int Width() const override { return surface_->w; }
  int Height() const override { return surface_->h; }
  CanvasMaker Maker() const override { return MakePixelCanvas; }
  SDL_Surface* Surface() const { return surface_; }
  CanvasBox Bounds() const { return CanvasBox{0, 0, surface_->w, surface_->h}; }
  std::uint32_t* Row(int y) const {
    return reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(surface_->pixels) +
                                            static_cast<std::ptrdiff_t>(y) * surface_->pitch);
  }

  void Fill(const Rect& rect, Rgb colour) override {
    FillBox(ClipBox(rect.left, rect.top, rect.right, rect.bottom, Bounds()), ToPixel(colour));
  }

  int DrawTextCentred(const Rect& rect, std::u16string_view text, Rgb foreground,
                      Rgb background) override;
  Rect TextInk(const Rect& rect, std::u16string_view text, Rgb foreground, Rgb background) override;
  void Blit(int x, int y, int width, int height, const Canvas& source, int sx, int sy) override;
  // Copies a rendered line with its box's top left corner at (left, top), clipped to `clip`.
  void PutText(std::int64_t left, std::int64_t top, const CanvasBox& clip, const TextImage& image);

 private:
  void FillBox(const CanvasBox& box, std::uint32_t pixel) {
    if (box.Empty()) return;
    for (int y = box.top; y < box.bottom; ++y) {
      std::fill(Row(y) + box.left, Row(y) + box.right, pixel);
    }
  }
  void CopyRows(const CanvasBox& to, const std::uint32_t* from, std::ptrdiff_t from_pitch,
                bool may_overlap);

  SDL_Surface* surface_;
};

// The top left corner of a rendered line centred in rect; 64-bit, as rect may be anywhere.
struct TextCorner {
  std::int64_t left;
  std::int64_t top;
};
TextCorner CentredCorner(const Rect& rect, const TextImage& image) {
  const std::int64_t rect_width = std::int64_t{rect.right} - rect.left;
  const std::int64_t rect_height = std::int64_t{rect.bottom} - rect.top;
  return {rect.left + (rect_width - image.width) / 2, rect.top + (rect_height - image.height) / 2};
}

std::int32_t ToLong(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

int PixelCanvas::DrawTextCentred(const Rect& rect, std::u16string_view text, Rgb foreground,
                                 Rgb background) {
  const std::int64_t rect_height = std::int64_t{rect.bottom} - rect.top;
  TextImage image;
  if (!RenderTextLine(text, FontSizeForHeight(rect_height), foreground, background, &image)) {
    return 0;
  }
  if (image.width == 0) return image.height;
  const TextCorner corner = CentredCorner(rect, image);
  PutText(corner.left, corner.top, ClipBox(rect.left, rect.top, rect.right, rect.bottom, Bounds()),
          image);
  return image.height;
}

// The glyphs' pixels are those of the rendered line that differ from its box's colour.
Rect PixelCanvas::TextInk(const Rect& rect, std::u16string_view text, Rgb foreground,
                          Rgb background) {
  const std::int64_t rect_height = std::int64_t{rect.bottom} - rect.top;
  TextImage image;
  if (!RenderTextLine(text, FontSizeForHeight(rect_height), foreground, background, &image)) {
    image = TextImage{};
  }
  const std::uint32_t box_pixel = ToPixel(background);
  CanvasBox ink{image.width, image.height, 0, 0};
  for (int y = 0; y < image.height; ++y) {
    const std::uint32_t* row = image.pixels + static_cast<std::ptrdiff_t>(y) * image.pitch;
    for (int x = 0; x < image.width; ++x) {
      if ((row[x] & 0x00FFFFFF) == box_pixel) continue;
      ink = CanvasBox{std::min(ink.left, x), std::min(ink.top, y), std::max(ink.right, x + 1),
                      std::max(ink.bottom, y + 1)};
    }
  }
  const TextCorner corner = CentredCorner(rect, image);
  if (ink.Empty())
    return Rect{ToLong(corner.left), ToLong(corner.top), ToLong(corner.left), ToLong(corner.top)};
  return Rect{ToLong(corner.left + ink.left), ToLong(corner.top + ink.top),
              ToLong(corner.left + ink.right), ToLong(corner.top + ink.bottom)};
}

void PixelCanvas::PutText(std::int64_t left, std::int64_t top, const CanvasBox& clip,
                          const TextImage& image) {
  const CanvasBox to = ClipBox(left, top, left + image.width, top + image.height, clip);
  if (to.Empty()) return;
  const std::uint32_t* from = image.pixels + (to.top - top) * image.pitch + (to.left - left);
  CopyRows(to, from, image.pitch, false);
}

void PixelCanvas::CopyRows(const CanvasBox& to, const std::uint32_t* from,
                           std::ptrdiff_t from_pitch, bool may_overlap) {
  const auto count = static_cast<std::size_t>(to.right - to.left) * sizeof(std::uint32_t);
  const int rows = to.bottom - to.top;
  // Copying within one surface downwards must start from the last row.
  const bool backwards = may_overlap && from < Row(to.top) + to.left;
  for (int i = 0; i < rows; ++i) {
    const int row = backwards ? rows - 1 - i : i;
    std::memmove(Row(to.top + row) + to.left, from + row * from_pitch, count);
  }
}

void PixelCanvas::Blit(int x, int y, int width, int height, const Canvas& source, int sx, int sy) {
  const CanvasBox area = ClipBlock(x, y, width, height, Bounds());
  if (area.Empty()) return;
  const auto* pixels = dynamic_cast<const PixelCanvas*>(&source);
  if (pixels == nullptr) return FillBox(area, kWhitePixel);
  // The part of the area whose source pixels exist, in this canvas's coordinates.
  const std::int64_t dx = std::int64_t{x} - sx;
  const std::int64_t dy = std::int64_t{y} - sy;
  const CanvasBox copied = ClipBox(dx, dy, dx + pixels->Width(), dy + pixels->Height(), area);
  if (copied.Empty()) return FillBox(area, kWhitePixel);
  FillBox(CanvasBox{area.left, area.top, area.right, copied.top}, kWhitePixel);
  FillBox(CanvasBox{area.left, copied.bottom, area.right, area.bottom}, kWhitePixel);
  FillBox(CanvasBox{area.left, copied.top, copied.left, copied.bottom}, kWhitePixel);
  FillBox(CanvasBox{copied.right, copied.top, area.right, copied.bottom}, kWhitePixel);
  const std::uint32_t* from = pixels->Row(static_cast<int>(copied.top - dy)) + (copied.left - dx);
  CopyRows(copied, from, pixels->surface_->pitch / 4, pixels == this);
}

// A stream that writes straight to a descriptor and remembers the first failure.
struct FdSink {
  int fd;
  int error;        // errno of the first write that failed; 0 while all went well
  Sint64 position;  // bytes written
};

size_t WriteSink(SDL_RWops* self, const void* data, size_t size, size_t count) {
  auto& sink = *static_cast<FdSink*>(self->hidden.unknown.data1);
  if (sink.error != 0 || size == 0) return 0;
  const auto* bytes = static_cast<const char*>(data);
  std::size_t left = size * count;
  while (left > 0) {
    const ssize_t written = ::write(sink.fd, bytes, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      sink.error = written < 0 ? errno : ENOSPC;
      return 0;
    }
    bytes += written;
    left -= static_cast<std::size_t>(written);
    sink.position += written;
  }
  return count;
}

// Only where the stream stands can be asked; it never moves back.
Sint64 SeekSink(SDL_RWops* self, Sint64 offset, int whence) {
  const auto& sink = *static_cast<const FdSink*>(self->hidden.unknown.data1);
  if (whence == RW_SEEK_CUR && offset == 0) return sink.position;
  return SDL_SetError("a PNG being written cannot seek");
}

}  // namespace

std::unique_ptr<Canvas> MakePixelCanvas(int width, int height) {
  if (width < 0 || height < 0) return nullptr;
  SDL_Surface* surface =
      SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_XRGB8888);
  if (surface == nullptr) return nullptr;  // SDL hands out new surfaces zeroed: black
  return std::make_unique<PixelCanvas>(surface);
}

std::optional<Rgb> PixelAt(const Canvas& canvas, int x, int y) {
  const auto* pixels = dynamic_cast<const PixelCanvas*>(&canvas);
  if (pixels == nullptr || x < 0 || y < 0 || x >= canvas.Width() || y >= canvas.Height()) {
    return std::nullopt;
  }
  const std::uint32_t pixel = pixels->Row(y)[x];
  return Rgb{static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
             static_cast<std::uint8_t>(pixel)};
}

std::optional<PixelRows> ReadPixelRows(const Canvas& canvas) {
  const auto* pixels = dynamic_cast<const PixelCanvas*>(&canvas);
  if (pixels == nullptr) return std::nullopt;
  const SDL_Surface* surface = pixels->Surface();
  return PixelRows{static_cast<const std::uint32_t*>(surface->pixels), surface->pitch, surface->w,
                   surface->h};
}

int DrawTextLineAt(Canvas& canvas, int x, int y, const Rect& clip, std::u16string_view text,
                   int font_size, Rgb foreground, Rgb background) {
  auto* pixels = dynamic_cast<PixelCanvas*>(&canvas);
  TextImage image;
  if (pixels == nullptr || !RenderTextLine(text, font_size, foreground, background, &image) ||
      image.width == 0) {
    return 0;
  }
  pixels->PutText(x, y, ClipBox(clip.left, clip.top, clip.right, clip.bottom, pixels->Bounds()),
                  image);
  return image.width;
}

bool WritePixelCanvasPng(const Canvas& canvas, int fd, std::string* error) {
  const auto* pixels = dynamic_cast<const PixelCanvas*>(&canvas);
  if (pixels == nullptr) {
    *error = "the window has no pixel picture";
    return false;
  }
  // The encoder takes no notice of a write that fails: the sink keeps the first failure.
  FdSink sink{fd, 0, 0};
  SDL_RWops* stream = SDL_AllocRW();
  if (stream == nullptr) {
    *error = SDL_GetError();
    return false;
  }
  stream->type = SDL_RWOPS_UNKNOWN;
  stream->hidden.unknown.data1 = &sink;
  stream->size = [](SDL_RWops*) -> Sint64 { return -1; };
  stream->seek = SeekSink;
  stream->read = [](SDL_RWops*, void*, size_t, size_t) -> size_t { return 0; };
  stream->write = WriteSink;
  stream->close = [](SDL_RWops* self) {
    SDL_FreeRW(self);
    return 0;
  };
  const bool encoded = IMG_SavePNG_RW(pixels->Surface(), stream, 1) == 0;
  if (sink.error != 0) {
    *error = std::strerror(sink.error);
    return false;
  }
  if (!encoded) *error = SDL_GetError();
  return encoded;
}

std::unique_ptr<Canvas> LoadPixelCanvasPng(const char* path, std::string* error) {
  SDL_Surface* loaded = IMG_Load(path);
  if (loaded == nullptr) {
    *error = SDL_GetError();
    return nullptr;
  }
  SDL_Surface* converted = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_XRGB8888, 0);
  SDL_FreeSurface(loaded);
  if (converted == nullptr) {
    *error = SDL_GetError();
    return nullptr;
  }
  return std::make_unique<PixelCanvas>(converted);
}

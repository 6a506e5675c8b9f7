// cyclune_icon_png: writes the program's own icon resource as a PNG file, for the
// desktop's icon theme. Run at build time, so the installed icon is always the one the
// window shows and cannot drift from it.
//
//   cyclune_icon_png SCALE OUT.png
//
// SCALE (1 to 16) enlarges every pixel to SCALE x SCALE pixels: 1 gives the 32 x 32 icon
// itself, 4 the 128 x 128 one. Exits 0 on success, 1 when the file cannot be written and 2
// on a bad command line, each failure with one line on standard error.
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "resources/resources.h"

namespace {

constexpr int kMaxScale = 16;

bool ParseScale(std::string_view text, int* scale) {
  if (text.empty() || text.size() > 2) return false;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxScale) return false;
  *scale = value;
  return true;
}

// The icon enlarged by `scale` into a new RGB24 surface; null when SDL has no memory.
SDL_Surface* ScaledIcon(const IconResource& icon, int scale) {
  SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, icon.width * scale, icon.height * scale,
                                                        24, SDL_PIXELFORMAT_RGB24);
  if (surface == nullptr) return nullptr;
  for (int y = 0; y < surface->h; ++y) {
    auto* row = static_cast<std::uint8_t*>(surface->pixels) +
                static_cast<std::ptrdiff_t>(y) * surface->pitch;
    for (int x = 0; x < surface->w; ++x) {
      const auto from = static_cast<std::size_t>(((y / scale) * icon.width + x / scale) * 3);
      for (std::size_t channel = 0; channel < 3; ++channel) {
        row[static_cast<std::size_t>(x) * 3 + channel] = icon.rgb[from + channel];
      }
    }
  }
  return surface;
}

}  // namespace

int main(int argc, char** argv) {
  int scale = 0;
  if (argc != 3 || !ParseScale(argv[1], &scale)) {
    std::fprintf(stderr, "usage: cyclune_icon_png SCALE(1-%d) OUT.png\n", kMaxScale);
    return 2;
  }
  const IconResource* icon = &CycluneIcon();
  if (icon == nullptr || icon->width <= 0 || icon->height <= 0 ||
      icon->rgb.size() != static_cast<std::size_t>(icon->width * icon->height * 3)) {
    std::fprintf(stderr, "cyclune_icon_png: the program has no usable icon resource\n");
    return 1;
  }
  SDL_Surface* surface = ScaledIcon(*icon, scale);
  const bool saved = surface != nullptr && IMG_SavePNG(surface, argv[2]) == 0;
  if (!saved) std::fprintf(stderr, "cyclune_icon_png: %s: %s\n", argv[2], SDL_GetError());
  SDL_FreeSurface(surface);
  return saved ? 0 : 1;
}

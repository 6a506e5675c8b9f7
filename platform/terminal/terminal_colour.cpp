#include "platform/terminal/terminal_colour.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

namespace {

// The 16 ANSI colours as xterm shows them by default.
constexpr std::array<Rgb, 16> kAnsi = {
    Rgb{0, 0, 0},       Rgb{205, 0, 0},   Rgb{0, 205, 0},   Rgb{205, 205, 0},
    Rgb{0, 0, 238},     Rgb{205, 0, 205}, Rgb{0, 205, 205}, Rgb{229, 229, 229},
    Rgb{127, 127, 127}, Rgb{255, 0, 0},   Rgb{0, 255, 0},   Rgb{255, 255, 0},
    Rgb{92, 92, 255},   Rgb{255, 0, 255}, Rgb{0, 255, 255}, Rgb{255, 255, 255}};

// The six levels of each channel of the colour cube.
constexpr std::array<int, 6> kCubeLevels = {0, 95, 135, 175, 215, 255};

std::int64_t Distance(Rgb a, Rgb b) {
  const std::int64_t dr = a.red - b.red;
  const std::int64_t dg = a.green - b.green;
  const std::int64_t db = a.blue - b.blue;
  return dr * dr + dg * dg + db * db;
}

int NearestCubeLevel(int channel) {
  int best = 0;
  for (int i = 1; i < 6; ++i) {
    const int d = channel - kCubeLevels[static_cast<std::size_t>(i)];
    const int d_best = channel - kCubeLevels[static_cast<std::size_t>(best)];
    if (d * d < d_best * d_best) best = i;
  }
  return best;
}

}  // namespace

ColourDepth DepthForColours(int colours, bool direct) {
  if (direct) return ColourDepth::kDirect;
  if (colours >= 256) return ColourDepth::kPalette256;
  if (colours >= 16) return ColourDepth::kSixteen;
  if (colours >= 8) return ColourDepth::kEight;
  return ColourDepth::kMonochrome;
}

bool ColoursTellDayClassesApart(ColourDepth depth) { return depth >= ColourDepth::kSixteen; }

Rgb PaletteColour(int index) {
  if (index < 0 || index > 255) return Rgb{};
  if (index < 16) return kAnsi[static_cast<std::size_t>(index)];
  if (index >= 232) {
    const auto level = static_cast<std::uint8_t>(8 + 10 * (index - 232));  // [8, 238]
    return Rgb{level, level, level};
  }
  const int cube = index - 16;  // [0, 215]
  return Rgb{static_cast<std::uint8_t>(kCubeLevels[static_cast<std::size_t>(cube / 36)]),
             static_cast<std::uint8_t>(kCubeLevels[static_cast<std::size_t>(cube / 6 % 6)]),
             static_cast<std::uint8_t>(kCubeLevels[static_cast<std::size_t>(cube % 6)])};
}

int NearestPaletteIndex(Rgb colour, int first, int last) {
  int best = first;
  std::int64_t best_distance = std::numeric_limits<std::int64_t>::max();
  for (int i = first; i <= last; ++i) {
    const std::int64_t d = Distance(colour, PaletteColour(i));
    if (d < best_distance) {
      best = i;
      best_distance = d;
    }
  }
  return best;
}

int Nearest256(Rgb colour) {
  const int cube = 16 + 36 * NearestCubeLevel(colour.red) + 6 * NearestCubeLevel(colour.green) +
                   NearestCubeLevel(colour.blue);
  const int mean = (colour.red + colour.green + colour.blue) / 3;  // [0, 255]
  const int grey = 232 + std::clamp((mean - 3) / 10, 0, 23);
  return Distance(colour, PaletteColour(grey)) < Distance(colour, PaletteColour(cube)) ? grey
                                                                                       : cube;
}

namespace {

// 0xRRGGBB, as a direct-colour terminal takes it.
int DirectColour(Rgb colour) { return colour.red << 16 | colour.green << 8 | colour.blue; }

}  // namespace

CellColours ColoursFor(Rgb foreground, Rgb background, ColourDepth depth) {
  CellColours out;
  switch (depth) {
    case ColourDepth::kDirect:
      out.foreground = DirectColour(foreground);
      out.background = DirectColour(background);
      break;
    case ColourDepth::kPalette256:
      out.foreground = Nearest256(foreground);
      out.background = Nearest256(background);
      break;
    case ColourDepth::kSixteen:
      out.foreground = NearestPaletteIndex(foreground, 0, 15);
      out.background = NearestPaletteIndex(background, 0, 15);
      break;
    case ColourDepth::kEight:
      // Bright text shows as bold, which most terminals draw in the bright colour.
      out.bold = NearestPaletteIndex(foreground, 0, 15) >= 8;
      out.foreground = NearestPaletteIndex(foreground, 0, 7);
      out.background = NearestPaletteIndex(background, 0, 7);
      // Text the same colour as its cell would vanish: take black or white instead.
      if (out.foreground == out.background) out.foreground = out.background == 0 ? 7 : 0;
      break;
    case ColourDepth::kMonochrome:
      out.reverse = background != Rgb{255, 255, 255};
      out.bold = foreground == Rgb{255, 255, 0};
      break;
  }
  return out;
}

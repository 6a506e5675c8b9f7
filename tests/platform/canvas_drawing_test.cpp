// Drawing on a canvas: fills, centred text on its opaque box, the ink box of the glyphs, and
// block copies.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <tuple>

#include "platform/canvas/colours.h"
#include "platform/canvas/pixels/pixel_canvas.h"

namespace {

constexpr Rgb kRed = Rgb{255, 0, 0};
constexpr Rgb kYellow = Rgb{255, 255, 0};

// An off-screen pixel canvas.
class Surface {
 public:
  Surface(int width, int height) : canvas_(MakePixelCanvas(width, height)) {}
  ::Canvas& canvas() const { return *canvas_; }
  Rgb At(int x, int y) const { return PixelAt(*canvas_, x, y).value(); }
  void Fill(Rect rect, Rgb colour) const { canvas_->Fill(rect, colour); }

 private:
  std::unique_ptr<::Canvas> canvas_;
};

// A white screen, as a window's client area starts.
std::unique_ptr<Canvas> WhiteScreen(int width, int height) {
  std::unique_ptr<Canvas> screen = MakePixelCanvas(width, height);
  if (screen != nullptr) screen->Fill(Rect{0, 0, width, height}, kWhite);
  return screen;
}

TEST(CanvasDrawing, NewSurfacesAreBlackAndFillsAreClipped) {
  Surface surface(20, 10);
  EXPECT_EQ(surface.At(0, 0), kBlack);
  struct Case {
    Rect rect;
    Point inside;
    Point outside;
  };
  const Case cases[] = {
      {{-5, -5, 5, 5}, {4, 4}, {5, 4}}, {{15, 5, 100, 100}, {19, 9}, {14, 9}},
      {{3, 3, 4, 4}, {3, 3}, {4, 3}},   {{8, 2, 8, 9}, {-1, -1}, {8, 2}},  // empty: right == left
      {{9, 9, 2, 2}, {-1, -1}, {5, 5}},                                    // inverted: nothing
  };
  for (const Case& c : cases) {
    surface.Fill(Rect{0, 0, 20, 10}, kBlack);
    surface.Fill(c.rect, kRed);
    if (c.inside.x >= 0) {
      EXPECT_EQ(surface.At(c.inside.x, c.inside.y), kRed);
    }
    EXPECT_EQ(surface.At(c.outside.x, c.outside.y), kBlack);
  }
  surface.Fill(Rect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kBlue);
  EXPECT_EQ(surface.At(0, 0), kBlue);
  EXPECT_EQ(surface.At(19, 9), kBlue);
}

struct Extent {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
};

// The bounding box of the pixels in the rectangle that differ from `ground`.
Extent Changed(const Surface& surface, Rect area, Rgb ground) {
  Extent extent;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (surface.At(x, y) == ground) continue;
      extent.left = std::min(extent.left, x);
      extent.top = std::min(extent.top, y);
      extent.right = std::max(extent.right, x + 1);
      extent.bottom = std::max(extent.bottom, y + 1);
    }
  }
  return extent;
}

TEST(CanvasDrawing, TextIsCentredOnAnOpaqueBoxInsideItsRectangle) {
  Surface surface(240, 60);
  surface.Fill(Rect{0, 0, 240, 60}, kBlue);
  const int height = surface.canvas().DrawTextCentred(Rect{40, 10, 200, 50}, u"28", kRed, kYellow);
  EXPECT_GT(height, 10);
  EXPECT_LE(height, 40);
  const Extent box = Changed(surface, Rect{0, 0, 240, 60}, kBlue);
  // The box lies inside the rectangle, centred within a pixel each way.
  EXPECT_GE(box.left, 40);
  EXPECT_LE(box.right, 200);
  EXPECT_GE(box.top, 10);
  EXPECT_LE(box.bottom, 50);
  EXPECT_LE(std::abs((box.left - 40) - (200 - box.right)), 1);
  EXPECT_LE(std::abs((box.top - 10) - (50 - box.bottom)), 1);
  EXPECT_EQ(box.bottom - box.top, height);
  // Around the glyphs the box is the background colour; the glyphs have the text colour.
  EXPECT_EQ(surface.At(box.left, box.top), kYellow);
  EXPECT_EQ(surface.At(box.right - 1, box.bottom - 1), kYellow);
  int text_pixels = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) text_pixels += surface.At(x, y) == kRed;
  }
  EXPECT_GT(text_pixels, 10);
}

TEST(CanvasDrawing, TextIsClippedToItsRectangle) {
  Surface surface(120, 40);
  surface.Fill(Rect{0, 0, 120, 40}, kBlue);
  surface.canvas().DrawTextCentred(Rect{50, 10, 56, 30}, u"September 2024", kBlack, kWhite);
  const Extent clipped = Changed(surface, Rect{0, 0, 120, 40}, kBlue);
  EXPECT_EQ(clipped.left, 50);
  EXPECT_EQ(clipped.right, 56);
  EXPECT_GE(clipped.top, 10);
  EXPECT_LE(clipped.bottom, 30);
}

// The ink box is the tightest box around the pixels the glyphs colour, wherever the
// centring puts them; a text without glyphs has an empty one.
TEST(CanvasDrawing, InkBoxHoldsTheGlyphsAndNothingMore) {
  const struct {
    Rect rect;
    const char16_t* text;
  } cases[] = {
      {{40, 10, 200, 50}, u"28"}, {{0, 0, 34, 33}, u"7"},   {{3, 2, 237, 58}, u"May 2024"},
      {{100, 0, 140, 60}, u"1"},  {{10, 10, 60, 40}, u" "},
  };
  for (const auto& c : cases) {
    Surface surface(240, 60);
    surface.Fill(Rect{0, 0, 240, 60}, kBlue);
    // The box melts into the ground: only glyphs show.
    const Rect ink = surface.canvas().TextInk(c.rect, c.text, kYellow, kBlue);
    surface.canvas().DrawTextCentred(c.rect, c.text, kYellow, kBlue);
    const Extent drawn = Changed(surface, Rect{0, 0, 240, 60}, kBlue);
    if (drawn.right < 0) {
      EXPECT_LE(ink.right, ink.left) << "no glyph, no ink";
      continue;
    }
    EXPECT_EQ(std::make_tuple(ink.left, ink.top, ink.right, ink.bottom),
              std::make_tuple(drawn.left, drawn.top, drawn.right, drawn.bottom));
  }
}

TEST(CanvasDrawing, BlockCopyTakesThePixelsAndLeavesMissingOnesWhite) {
  Surface source(10, 8);
  source.Fill(Rect{0, 0, 10, 8}, kRed);
  source.Fill(Rect{5, 4, 10, 8}, kBlue);
  Surface target(30, 20);
  target.canvas().Blit(2, 1, 20, 15, source.canvas(), 0, 0);
  struct Probe {
    int x, y;
    Rgb expected;
  };
  const Probe probes[] = {
      {1, 1, kBlack}, {2, 1, kRed},     {11, 8, kBlue},   {6, 4, kRed},     {12, 1, kWhite},
      {2, 9, kWhite}, {21, 15, kWhite}, {22, 15, kBlack}, {21, 16, kBlack},
  };
  for (const Probe& p : probes) EXPECT_EQ(target.At(p.x, p.y), p.expected) << p.x << "," << p.y;

  // A source offset shifts what is taken.
  target.canvas().Blit(0, 0, 5, 4, source.canvas(), 5, 4);
  EXPECT_EQ(target.At(0, 0), kBlue);
  EXPECT_EQ(target.At(4, 3), kBlue);
}

// Source points far beyond any surface, where the offset between the two surfaces no longer
// fits 32 bits: nothing is taken and the block comes out white.
TEST(CanvasDrawing, BlockCopyFromFarOffSourcePointsIsWhite) {
  Surface source(10, 8);
  source.Fill(Rect{0, 0, 10, 8}, kRed);
  const Point far[] = {{INT_MIN, 0}, {0, INT_MIN}, {INT_MAX, 0}, {INT_MIN, INT_MAX}};
  for (const Point& from : far) {
    Surface target(30, 20);
    target.canvas().Blit(0, 0, 30, 20, source.canvas(), from.x, from.y);
    const Extent changed = Changed(target, Rect{0, 0, 30, 20}, kWhite);
    EXPECT_EQ(changed.right, -1) << from.x << "," << from.y << ": not white at " << changed.left
                                 << "," << changed.top;
  }
}

TEST(CanvasDrawing, ACopyBeyondItsSourceLeavesWhite) {
  std::unique_ptr<Canvas> screen = WhiteScreen(60, 40);
  std::unique_ptr<Canvas> memory = MakeCanvasLike(*screen, 56, 40);  // 7 x 8 cells of 8 x 5
  ASSERT_NE(memory, nullptr);
  memory->Fill(Rect{0, 0, 60, 40}, kRed);
  screen->Fill(Rect{0, 0, 60, 40}, kBlack);
  screen->Blit(0, 0, 60, 40, *memory, 0, 0);
  EXPECT_EQ(PixelAt(*screen, 55, 39), kRed);
  EXPECT_EQ(PixelAt(*screen, 56, 0), kWhite);  // the strip beyond the surface
  EXPECT_EQ(PixelAt(*screen, 59, 39), kWhite);
}

TEST(CanvasDrawing, EmptyAndTinyAreasPaintWithoutHarm) {
  for (const Point size : {Point{0, 0}, Point{6, 7}, Point{0, 266}, Point{240, 0}}) {
    std::unique_ptr<Canvas> screen = WhiteScreen(size.x, size.y);
    ASSERT_NE(screen, nullptr);
    // The grid of a month view: 7 x 8 cells of the truncated cell size.
    std::unique_ptr<Canvas> memory = MakeCanvasLike(*screen, size.x / 7 * 7, size.y / 8 * 8);
    ASSERT_NE(memory, nullptr);
    const Rect cell{0, 0, size.x / 7, size.y / 8};
    memory->Fill(cell, kBlue);
    memory->DrawTextCentred(cell, u"31", kBlack, kWhite);
    screen->Blit(0, 0, size.x, size.y, *memory, 0, 0);
    if (size.x > 0 && size.y > 0) {
      EXPECT_EQ(PixelAt(*screen, size.x - 1, size.y - 1), kWhite);
    }
  }
  Surface any(1, 1);
  EXPECT_EQ(MakeCanvasLike(any.canvas(), -1, 5), nullptr);
  EXPECT_EQ(MakeCanvasLike(any.canvas(), 100000, 100000), nullptr);
}

}  // namespace

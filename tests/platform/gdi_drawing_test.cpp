// Drawing: fills, centred text on its opaque box, block copies, and the life of the objects.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "platform/canvas/colours.h"
#include "tests/platform/window_test_support.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kYellow = RGB(255, 255, 0);
constexpr UINT kCentredLine = DT_SINGLELINE | DT_CENTER | DT_VCENTER;

// An off-screen target with its own surface, released at the end of the test.
class Surface {
 public:
  Surface(int width, int height) {
    target_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateCompatibleBitmap(target_, width, height);
    SelectObject(target_, bitmap_);
  }
  ~Surface() {
    DeleteDC(target_);
    DeleteObject(bitmap_);
  }
  HDC dc() const { return target_; }
  COLORREF At(int x, int y) const { return PixelAt(*Canvas(), x, y); }
  const ::Canvas* Canvas() const;
  void Fill(RECT rect, COLORREF colour) const {
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(target_, &rect, brush);
    DeleteObject(brush);
  }

 private:
  HDC target_;
  HBITMAP bitmap_;
};

const ::Canvas* Surface::Canvas() const { return TargetCanvas(target_); }

class GdiDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    objects_before = LiveGdiObjectCount();
    targets_before = LiveDeviceContextCount();
  }
  void TearDown() override {
    ResetWindowSystem();
    EXPECT_EQ(LiveGdiObjectCount(), objects_before);
    EXPECT_EQ(LiveDeviceContextCount(), targets_before);
  }
  std::size_t objects_before = 0;
  std::size_t targets_before = 0;
};

TEST_F(GdiDrawing, NewSurfacesAreBlackAndFillsAreClipped) {
  Surface surface(20, 10);
  EXPECT_EQ(surface.At(0, 0), kBlack);
  struct Case {
    RECT rect;
    POINT inside;
    POINT outside;
  };
  const Case cases[] = {
      {{-5, -5, 5, 5}, {4, 4}, {5, 4}}, {{15, 5, 100, 100}, {19, 9}, {14, 9}},
      {{3, 3, 4, 4}, {3, 3}, {4, 3}},   {{8, 2, 8, 9}, {-1, -1}, {8, 2}},  // empty: right == left
      {{9, 9, 2, 2}, {-1, -1}, {5, 5}},                                    // inverted: nothing
  };
  for (const Case& c : cases) {
    surface.Fill(RECT{0, 0, 20, 10}, kBlack);
    surface.Fill(c.rect, kRed);
    if (c.inside.x >= 0) {
      EXPECT_EQ(surface.At(c.inside.x, c.inside.y), kRed);
    }
    EXPECT_EQ(surface.At(c.outside.x, c.outside.y), kBlack);
  }
  surface.Fill(RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kBlue);
  EXPECT_EQ(surface.At(0, 0), kBlue);
  EXPECT_EQ(surface.At(19, 9), kBlue);
}

struct Extent {
  int left = INT_MAX, top = INT_MAX, right = -1, bottom = -1;
};

// The bounding box of the pixels in the rectangle that differ from `ground`.
Extent Changed(const Surface& surface, RECT area, COLORREF ground) {
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

TEST_F(GdiDrawing, TextIsCentredOnAnOpaqueBoxInsideItsRectangle) {
  Surface surface(240, 60);
  surface.Fill(RECT{0, 0, 240, 60}, kBlue);
  SetBkColor(surface.dc(), kYellow);
  SetTextColor(surface.dc(), kRed);
  RECT rect{40, 10, 200, 50};
  const int height = DrawTextW(surface.dc(), u"28", -1, &rect, kCentredLine);
  EXPECT_GT(height, 10);
  EXPECT_LE(height, 40);
  const Extent box = Changed(surface, RECT{0, 0, 240, 60}, kBlue);
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

TEST_F(GdiDrawing, TextIsClippedToItsRectangleAndCountIsHonoured) {
  Surface surface(120, 40);
  surface.Fill(RECT{0, 0, 120, 40}, kBlue);
  RECT small{50, 10, 56, 30};
  DrawTextW(surface.dc(), u"September 2024", -1, &small, kCentredLine);
  const Extent clipped = Changed(surface, RECT{0, 0, 120, 40}, kBlue);
  EXPECT_EQ(clipped.left, 50);
  EXPECT_EQ(clipped.right, 56);
  EXPECT_GE(clipped.top, 10);
  EXPECT_LE(clipped.bottom, 30);

  // Only `count` units are drawn: "S" of "Sunday" is narrower than the whole word.
  Surface one(200, 40);
  Surface all(200, 40);
  RECT rect{0, 0, 200, 40};
  DrawTextW(one.dc(), u"Sunday", 1, &rect, kCentredLine);
  DrawTextW(all.dc(), u"Sunday", -1, &rect, kCentredLine);
  const Extent letter = Changed(one, rect, kBlack);
  const Extent word = Changed(all, rect, kBlack);
  EXPECT_LT(letter.right - letter.left, (word.right - word.left) / 3);
}

TEST_F(GdiDrawing, OtherLayoutsAndBadArgumentsDrawNothing) {
  Surface surface(50, 20);
  RECT rect{0, 0, 50, 20};
  EXPECT_EQ(DrawTextW(surface.dc(), u"1", 1, &rect, DT_CENTER), 0);
  EXPECT_EQ(DrawTextW(surface.dc(), u"1", -2, &rect, kCentredLine), 0);
  EXPECT_EQ(DrawTextW(surface.dc(), nullptr, 1, &rect, kCentredLine), 0);
  EXPECT_EQ(DrawTextW(nullptr, u"1", 1, &rect, kCentredLine), 0);
  EXPECT_EQ(Changed(surface, rect, kBlack).right, -1);
}

// The ink box is the tightest box around the pixels the glyphs colour, wherever the
// centring puts them; a text without glyphs has an empty one.
TEST_F(GdiDrawing, InkBoxHoldsTheGlyphsAndNothingMore) {
  const struct {
    RECT rect;
    const char16_t* text;
  } cases[] = {
      {{40, 10, 200, 50}, u"28"}, {{0, 0, 34, 33}, u"7"},   {{3, 2, 237, 58}, u"May 2024"},
      {{100, 0, 140, 60}, u"1"},  {{10, 10, 60, 40}, u" "},
  };
  for (const auto& c : cases) {
    Surface surface(240, 60);
    surface.Fill(RECT{0, 0, 240, 60}, kBlue);
    SetBkColor(surface.dc(), kBlue);  // the box melts into the ground: only glyphs show
    SetTextColor(surface.dc(), kYellow);
    RECT ink{};
    ASSERT_TRUE(GetTextInkBox(surface.dc(), c.text, -1, &c.rect, &ink));
    RECT rect = c.rect;
    DrawTextW(surface.dc(), c.text, -1, &rect, kCentredLine);
    const Extent drawn = Changed(surface, RECT{0, 0, 240, 60}, kBlue);
    if (drawn.right < 0) {
      EXPECT_LE(ink.right, ink.left) << "no glyph, no ink";
      continue;
    }
    EXPECT_EQ(std::make_tuple(ink.left, ink.top, ink.right, ink.bottom),
              std::make_tuple(drawn.left, drawn.top, drawn.right, drawn.bottom));
  }
  RECT ink{};
  EXPECT_FALSE(GetTextInkBox(nullptr, u"1", 1, &ink, &ink));
}

TEST_F(GdiDrawing, BlockCopyTakesThePixelsAndLeavesMissingOnesWhite) {
  Surface source(10, 8);
  source.Fill(RECT{0, 0, 10, 8}, kRed);
  source.Fill(RECT{5, 4, 10, 8}, kBlue);
  Surface target(30, 20);
  ASSERT_TRUE(BitBlt(target.dc(), 2, 1, 20, 15, source.dc(), 0, 0, SRCCOPY));
  struct Probe {
    int x, y;
    COLORREF expected;
  };
  const Probe probes[] = {
      {1, 1, kBlack}, {2, 1, kRed},     {11, 8, kBlue},   {6, 4, kRed},     {12, 1, kWhite},
      {2, 9, kWhite}, {21, 15, kWhite}, {22, 15, kBlack}, {21, 16, kBlack},
  };
  for (const Probe& p : probes) EXPECT_EQ(target.At(p.x, p.y), p.expected) << p.x << "," << p.y;

  // A source offset shifts what is taken.
  ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 5, 4, source.dc(), 5, 4, SRCCOPY));
  EXPECT_EQ(target.At(0, 0), kBlue);
  EXPECT_EQ(target.At(4, 3), kBlue);
  EXPECT_FALSE(BitBlt(target.dc(), 0, 0, 5, 4, source.dc(), 0, 0, 0x00EE0086));
}

// Source points far beyond any surface, where the offset between the two surfaces no longer
// fits 32 bits: nothing is taken and the block comes out white.
TEST_F(GdiDrawing, BlockCopyFromFarOffSourcePointsIsWhite) {
  Surface source(10, 8);
  source.Fill(RECT{0, 0, 10, 8}, kRed);
  const POINT far[] = {{INT_MIN, 0}, {0, INT_MIN}, {INT_MAX, 0}, {INT_MIN, INT_MAX}};
  for (const POINT& from : far) {
    Surface target(30, 20);
    ASSERT_TRUE(BitBlt(target.dc(), 0, 0, 30, 20, source.dc(), from.x, from.y, SRCCOPY));
    const Extent changed = Changed(target, RECT{0, 0, 30, 20}, kWhite);
    EXPECT_EQ(changed.right, -1) << from.x << "," << from.y << ": not white at " << changed.left
                                 << "," << changed.top;
  }
}

TEST_F(GdiDrawing, PaintingDrawsOnTheWindowAndConsumesTheRequest) {
  RegisterLoggingClass(u"LOGGING");
  HWND window = CreateWindowExW(0, u"LOGGING", u"", WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr,
                                nullptr, nullptr);
  PAINTSTRUCT paint;
  HDC screen = BeginPaint(window, &paint);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(paint.rcPaint.right, 60);
  EXPECT_EQ(paint.rcPaint.bottom, 40);
  EXPECT_FALSE(window->paint_pending);
  EXPECT_EQ(PixelAt(*ClientCanvas(window), 0, 0), kWhite);  // the class background
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 56, 40);  // 7 x 8 cells of 8 x 5
  SelectObject(memory, bitmap);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT all{0, 0, 60, 40};
  FillRect(memory, &all, red);
  EXPECT_EQ(SelectObject(screen, bitmap), nullptr);  // a window target takes no surface
  BitBlt(screen, 0, 0, 60, 40, memory, 0, 0, SRCCOPY);
  // Deleted while still selected: released with the target.
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_FALSE(DeleteObject(red));
  EXPECT_FALSE(DeleteDC(memory));
  EXPECT_FALSE(DeleteDC(screen));  // the paint target belongs to EndPaint
  EXPECT_TRUE(EndPaint(window, &paint));
  const Canvas& client = *ClientCanvas(window);
  EXPECT_EQ(PixelAt(client, 55, 39), kRed);
  EXPECT_EQ(PixelAt(client, 56, 0), kWhite);  // the strip beyond the surface
  EXPECT_EQ(PixelAt(client, 59, 39), kWhite);
}

TEST_F(GdiDrawing, EmptyAndTinyAreasPaintWithoutHarm) {
  RegisterLoggingClass(u"LOGGING");
  for (const POINT size : {POINT{0, 0}, POINT{6, 7}, POINT{0, 266}, POINT{240, 0}}) {
    HWND window = CreateWindowExW(0, u"LOGGING", u"", WS_VISIBLE, 0, 0, size.x, size.y, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    PAINTSTRUCT paint;
    HDC screen = BeginPaint(window, &paint);
    HDC memory = CreateCompatibleDC(screen);
    // The grid of a month view: 7 x 8 cells of the truncated cell size.
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.x / 7 * 7, size.y / 8 * 8);
    ASSERT_NE(bitmap, nullptr);
    SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(kBlue);
    RECT cell{0, 0, size.x / 7, size.y / 8};
    FillRect(memory, &cell, brush);
    DrawTextW(memory, u"31", 2, &cell, kCentredLine);
    BitBlt(screen, 0, 0, size.x, size.y, memory, 0, 0, SRCCOPY);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(memory);
    EXPECT_TRUE(EndPaint(window, &paint));
    if (size.x > 0 && size.y > 0) {
      EXPECT_EQ(PixelAt(*ClientCanvas(window), size.x - 1, size.y - 1), kWhite);
    }
    DestroyWindow(window);
  }
  HDC memory = CreateCompatibleDC(nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(memory, -1, 5), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(memory, 100000, 100000), nullptr);
  EXPECT_EQ(CreateCompatibleBitmap(nullptr, 5, 5), nullptr);
  RECT rect{0, 0, 5, 5};
  EXPECT_EQ(DrawTextW(memory, u"1", 1, &rect, kCentredLine), 0);  // no surface yet
  DeleteDC(memory);
}

// The executable has no pixel canvases: there, with no front end installed, nothing can be
// drawn, and asking for a window or a surface must fail rather than crash.
TEST_F(GdiDrawing, WithoutAKindOfCanvasWindowsAndSurfacesAreRefused) {
  const CanvasMaker pixels = DefaultCanvasMaker();
  SetDefaultCanvasMaker(nullptr);
  RegisterLoggingClass(u"LOGGING");
  const HWND window = CreateWindowExW(0, u"LOGGING", u"", WS_VISIBLE, 0, 0, 20, 20, nullptr,
                                      nullptr, nullptr, nullptr);
  HDC memory = CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = CreateCompatibleBitmap(memory, 8, 8);
  SetDefaultCanvasMaker(pixels);
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(bitmap, nullptr);
  DeleteDC(memory);
}

}  // namespace

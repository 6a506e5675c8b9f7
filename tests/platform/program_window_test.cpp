// The program's window: its client area of the front end's kind, white when made and after
// each resize, and paint requests coalescing into one paint.
#include "platform/ui/program_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/platform/pixel_front_end.h"

namespace {

constexpr std::uint8_t kIconPixels[2 * 2 * 3] = {};
constexpr IconResource kIcon{2, 2, kIconPixels};

// Runs the steps on a new window and writes, for each "paint" step, whether a paint was due:
//   show  ask  close  paint  resize W H
std::string PaintsAfter(const std::vector<std::string>& steps, PixelFrontEnd& front_end) {
  ProgramWindow window(front_end, u"Title", &kIcon);
  std::string paints;
  for (const std::string& step : steps) {
    if (step == "show") window.Show();
    if (step == "ask") window.AskForPaint();
    if (step == "close") window.Close();
    if (step == "paint") paints += window.TakePaintDue() ? "P" : "-";
    int width = 0;
    int height = 0;
    if (std::sscanf(step.c_str(), "resize %d %d", &width, &height) == 2) {
      paints += window.Resize(width, height) ? "" : "!";
    }
  }
  return paints;
}

TEST(ProgramWindow, PaintRequestsCoalesceAndWaitForTheWindowToShow) {
  struct Case {
    std::vector<std::string> steps;
    std::string paints;
  } cases[] = {
      {{"paint", "ask", "paint"}, "--"},                           // not shown: nothing is seen
      {{"ask", "show", "paint", "paint"}, "P-"},                   // showing paints once
      {{"show", "paint", "ask", "ask", "paint", "paint"}, "PP-"},  // requests coalesce
      {{"show", "paint", "resize 100 50", "paint"}, "PP"},         // a resize asks for a paint
      {{"show", "paint", "resize 0 0", "paint"}, "PP"},            // an empty client area too
      {{"show", "paint", "resize -1 5", "paint"}, "P!-"},          // a negative side is refused
      {{"show", "ask", "close", "paint", "resize 9 9"}, "-!"},     // closed for good
  };
  for (const Case& c : cases) {
    PixelFrontEnd front_end;
    std::string steps;
    for (const std::string& step : c.steps) steps += step + ";";
    EXPECT_EQ(PaintsAfter(c.steps, front_end), c.paints) << steps;
  }
}

// Shown and closed, title and icon: the calendar's own test (tests/app/calendar_window_test.cpp).
TEST(ProgramWindow, TheClientAreaIsOfTheFrontEndAndWhiteWhenMade) {
  PixelFrontEnd front_end;
  front_end.size = ClientSize{30, 20};
  ProgramWindow window(front_end, u"Cyclune", &kIcon);
  ASSERT_TRUE(window.open());
  EXPECT_EQ(window.canvas()->Width(), 30);
  EXPECT_EQ(window.canvas()->Height(), 20);
  EXPECT_EQ(PixelAt(*window.canvas(), 29, 19), kWhite);
  window.canvas()->Fill(Rect{0, 0, 30, 20}, kBlack);
  ASSERT_TRUE(window.Resize(8, 9));
  EXPECT_EQ(PixelAt(*window.canvas(), 7, 8), kWhite);

  front_end.makes_canvases = false;
  ProgramWindow without(front_end, u"", nullptr);
  EXPECT_FALSE(without.open());
  without.Show();
  EXPECT_EQ(front_end.shown, nullptr);
}

}  // namespace

// Day classes: the month painted without a selection shows every day in its class's colours,
// the same as the ordinary paint everywhere but on the selected day; and each class has a mark
// of its own for output without colour.
#include "view/day_class.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "model/app_state.h"
#include "platform/canvas.h"
#include "platform/datetime.h"
#include "platform/window_backend.h"
#include "view/month_view.h"

namespace {

LRESULT PlainProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

SYSTEMTIME Day(WORD year, WORD month, WORD day) {
  SYSTEMTIME t{year, month, 0, day, 9, 0, 0, 0};
  FILETIME ticks{};
  SystemTimeToFileTime(&t, &ticks);
  FileTimeToSystemTime(&ticks, &t);
  return t;
}

// The fill of every day cell of May 2024 (1st on a Wednesday), day 1 first.
std::vector<COLORREF> DayFills(HWND window, LRESULT (*paint)(HWND)) {
  InvalidateRect(window, nullptr, FALSE);
  paint(window);
  std::vector<COLORREF> fills;
  for (int day = 1; day <= 31; ++day) {
    const int column = (3 + day - 1) % 7, row = 2 + (3 + day - 1) / 7;
    fills.push_back(PixelAt(*ClientCanvas(window), column * AppState.CellWidth + 1,
                            row * AppState.CellHeight + 1));
  }
  return fills;
}

TEST(DayClass, UnselectedPaintShowsTheSelectedDaysOwnClass) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = PlainProcedure;
  window_class.lpszClassName = u"DayClassTest";
  RegisterClassW(&window_class);
  HWND window = CreateWindowExW(0, u"DayClassTest", u"", 0, 0, 0, 240, 266, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  const struct {
    WORD selected;
    COLORREF own;  // the selected day's fill once nothing is selected
  } cases[] = {{1, kRed}, {3, kDarkRed}, {12, kDarkGreen}, {15, kGreen}, {20, kWhite}};
  for (const auto& c : cases) {
    AppState = AppStateRecord{};
    AppState.LastPeriod = Day(2024, 5, 1);
    AppState.LastPeriodKnown = 1;
    AppState.SelectedDate = Day(2024, 5, c.selected);
    const std::vector<COLORREF> selected = DayFills(window, PaintMonth);
    const std::vector<COLORREF> unselected = DayFills(window, PaintMonthUnselected);
    for (int day = 1; day <= 31; ++day) {
      const COLORREF expected = day == c.selected ? c.own : selected[day - 1];
      EXPECT_EQ(unselected[day - 1], expected) << "selected " << c.selected << ", day " << day;
      EXPECT_NE(unselected[day - 1], kDarkBlue) << day;
      EXPECT_EQ(ColoursOf(ClassifyDay(day, 0)).filled ? ColoursOf(ClassifyDay(day, 0)).fill
                                                      : kWhite,
                unselected[day - 1])
          << day;
    }
    EXPECT_EQ(selected[c.selected - 1], kDarkBlue);
  }
  DestroyWindow(window);
  AppState = AppStateRecord{};
}

// A mark must tell its class apart without colour: one per class, none a digit or a space
// but the plain day's, so a number and its mark always read apart.
TEST(DayClass, EveryClassHasAMarkOfItsOwn) {
  const DayClass classes[] = {DayClass::kPlain,  DayClass::kSelected,    DayClass::kPeriodStart,
                              DayClass::kPeriod, DayClass::kMostFertile, DayClass::kFertile};
  std::set<char16_t> marks;
  for (const DayClass day_class : classes) {
    const char16_t mark = DayClassMark(day_class);
    EXPECT_TRUE(marks.insert(mark).second) << static_cast<int>(day_class);
    EXPECT_FALSE(mark >= u'0' && mark <= u'9') << static_cast<int>(day_class);
    EXPECT_TRUE(mark >= 0x20 && mark < 0x7F) << static_cast<int>(day_class);
    EXPECT_EQ(mark == u' ', day_class == DayClass::kPlain);
  }
}

}  // namespace

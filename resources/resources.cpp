#include "resources/resources.h"

#include <array>
#include <cstddef>

namespace {

// The texts, in TextId's order.
constexpr std::u16string_view kTexts[] = {
    u"Cyclune",
    u"Options",
    u"Exit",
    u"Legend:\n"
    u"Red - Menstrual days\n"
    u"Green - Recommend intercourse\n"
    u"Yellow - Recommend to abstain\n"
    u"Brighter colors indicate peak times\n"
    u"\n"
    u"Select a date:\n"
    u"Up - Previous month\n"
    u"Down - Next month\n"
    u"Left - Previous day\n"
    u"Right - Next day\n"
    u"\n"
    u"Set last period:\n"
    u"1. Select date\n"
    u"2. Go to Options\n"
    u"3. Select Set last period\n"
    u"\n"
    u"View day details:\n"
    u"1. Select date\n"
    u"2. Press Enter/OK\n",
    u"Help",
};
static_assert(std::size(kTexts) == static_cast<std::size_t>(TextId::kCount));

constexpr MenuEntry kOptionsItems[] = {
    {u"Set last period", IDM_SET_LAST_PERIOD},
    {u"Help", IDM_HELP},
    {u"Undo last period", IDM_UNDO_LAST_PERIOD},
    {u"History", IDM_HISTORY},
};

// The bar: "Options" with its menu on the left, "Exit" on the right.
constexpr SoftKeyEntry kSoftKeys[] = {
    {TextId::kOptions, IDM_OPTIONS, kOptionsItems},
    {TextId::kExit, IDM_EXIT, {}},
};

// --- the icon: a calendar page with two rings, a red header and a month of day cells,
// coloured like the month view (menstrual days red, fertile days green, the selected day
// dark blue). Drawn by rectangles at compile time so the picture stays readable here.

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr Rgb kBackground{255, 255, 255};
constexpr Rgb kOutline{64, 64, 64};
constexpr Rgb kPage{250, 250, 245};
constexpr Rgb kHeader{200, 30, 50};
constexpr Rgb kPlainDay{200, 200, 200};
constexpr Rgb kMenstrualDay{255, 0, 0};
constexpr Rgb kFertileDay{0, 128, 0};
constexpr Rgb kOvulationDay{0, 255, 0};
constexpr Rgb kSelectedDay{0, 0, 64};

constexpr int kPageLeft = 1, kPageTop = 2, kPageRight = 31, kPageBottom = 31;  // inclusive
constexpr int kHeaderBottom = 9;
constexpr int kCellSize = 3, kCellPitch = 4;
constexpr int kGridLeft = 3, kGridTop = 11;
constexpr int kFirstDayColumn = 3;  // the 1st of the pictured month is a Wednesday
constexpr int kDaysShown = 31;
constexpr int kRingColumns[] = {9, 22};
constexpr int kRingWidth = 2, kRingBottom = 4;

using IconPixels = std::array<std::uint8_t, kAppIconSize * kAppIconSize * 3>;

constexpr void FillBox(IconPixels& pixels, int left, int top, int right, int bottom, Rgb c) {
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const auto at = static_cast<std::size_t>((y * kAppIconSize + x) * 3);
      pixels[at] = c.r;
      pixels[at + 1] = c.g;
      pixels[at + 2] = c.b;
    }
  }
}

constexpr Rgb DayColour(int day) {
  if (day == 20) return kSelectedDay;
  if (day <= 4) return kMenstrualDay;
  if (day == 15) return kOvulationDay;
  if (day >= 12 && day <= 16) return kFertileDay;
  return kPlainDay;
}

constexpr IconPixels DrawIcon() {
  IconPixels pixels{};
  FillBox(pixels, 0, 0, kAppIconSize - 1, kAppIconSize - 1, kBackground);
  FillBox(pixels, kPageLeft, kPageTop, kPageRight, kPageBottom, kOutline);
  FillBox(pixels, kPageLeft + 1, kPageTop + 1, kPageRight - 1, kPageBottom - 1, kPage);
  FillBox(pixels, kPageLeft + 1, kPageTop + 1, kPageRight - 1, kHeaderBottom, kHeader);
  for (int ring : kRingColumns)
    FillBox(pixels, ring, 0, ring + kRingWidth - 1, kRingBottom, kOutline);
  for (int day = 1; day <= kDaysShown; ++day) {
    const int slot = kFirstDayColumn + day - 1;
    const int x = kGridLeft + (slot % 7) * kCellPitch;
    const int y = kGridTop + (slot / 7) * kCellPitch;
    FillBox(pixels, x, y, x + kCellSize - 1, y + kCellSize - 1, DayColour(day));
  }
  return pixels;
}

constexpr IconPixels kIconPixels = DrawIcon();

constexpr IconResource kIcon{kAppIconSize, kAppIconSize, kIconPixels};

}  // namespace

const IconResource& CycluneIcon() { return kIcon; }

std::u16string_view TextOf(TextId id) { return kTexts[static_cast<std::size_t>(id)]; }

std::span<const SoftKeyEntry> SoftKeyTable() { return kSoftKeys; }

std::vector<SoftKey> CycluneSoftKeys() {
  std::vector<SoftKey> keys;
  for (const SoftKeyEntry& entry : kSoftKeys) {
    SoftKey key{std::u16string(TextOf(entry.label)), entry.command, {}, {}};
    for (const MenuEntry& item : entry.menu) {
      key.menu.emplace_back(item.label);
      key.menu_commands.push_back(item.command);
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

// Module resources through the window system: icons.
#include <gtest/gtest.h>

#include "tests/platform/window_test_support.h"

namespace {

constexpr BYTE kIconPixels[3 * 2 * 2] = {};
constexpr IconResource kIcons[] = {{101, 2, 2, kIconPixels}};
const ModuleResources kModule{kIcons};

TEST(WindowResources, IconsLoadByIdAndAreShared) {
  HICON icon = LoadIconW(&kModule, MAKEINTRESOURCEW(101));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconW(&kModule, MAKEINTRESOURCEW(101)), icon);
  EXPECT_EQ(LoadIconW(&kModule, MAKEINTRESOURCEW(102)), nullptr);
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(101)), nullptr);
}

}  // namespace

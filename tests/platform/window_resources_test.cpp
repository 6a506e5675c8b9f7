// Module resources through the window system: strings, icons and the soft-key bar.
#include <gtest/gtest.h>

#include <array>

#include "tests/platform/window_test_support.h"

namespace {

// Strings, the Options menu and bar 102 as in kSoftKeyModule (window_test_support.h).
// Broken bars: a button short, and a popup index past the menu's popups.
constexpr WORD kShortBar[] = {102, 2, I_IMAGENONE, 40001, 4, 0x18, 104, 0, 0, I_IMAGENONE};
constexpr WORD kBadPopupBar[] = {102, 1, I_IMAGENONE, 40001, 4, 0x18, 104, 0, 1};
constexpr MenuBarResource kBars[] = {{102, kTestBarWords}, {200, kShortBar}, {201, kBadPopupBar}};
constexpr BYTE kIconPixels[3 * 2 * 2] = {};
constexpr IconResource kIcons[] = {{101, 2, 2, kIconPixels}};
const ModuleResources kModule{kTestStrings, kTestMenus, kBars, kIcons};

TEST(WindowResources, LoadStringCopiesWhatFitsAndTerminates) {
  struct Case {
    UINT id;
    int capacity;
    int expected_count;
    std::u16string expected_text;
  };
  const Case cases[] = {
      {1, 100, 7, u"Cyclune"}, {1, 8, 7, u"Cyclune"}, {1, 7, 6, u"Cyclun"},
      {1, 2, 1, u"C"},         {1, 1, 0, u""},        {999, 100, 0, u""},
  };
  for (const Case& c : cases) {
    std::array<char16_t, 101> buffer;
    buffer.fill(u'#');
    EXPECT_EQ(LoadStringW(&kModule, c.id, buffer.data(), c.capacity), c.expected_count)
        << c.id << " " << c.capacity;
    EXPECT_EQ(std::u16string(buffer.data()), c.expected_text);
    EXPECT_EQ(buffer[static_cast<std::size_t>(c.capacity)], u'#') << "wrote past capacity";
  }
  char16_t untouched[2] = {u'#', u'#'};
  EXPECT_EQ(LoadStringW(&kModule, 1, untouched, 0), 0);
  EXPECT_EQ(untouched[0], u'#');
  EXPECT_EQ(LoadStringW(nullptr, 1, untouched, 2), 0);
}

TEST(WindowResources, IconsLoadByIdAndAreShared) {
  HICON icon = LoadIconW(&kModule, MAKEINTRESOURCEW(101));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconW(&kModule, MAKEINTRESOURCEW(101)), icon);
  EXPECT_EQ(LoadIconW(&kModule, MAKEINTRESOURCEW(102)), nullptr);
  EXPECT_EQ(LoadIconW(nullptr, MAKEINTRESOURCEW(101)), nullptr);
}

class SoftKeyBar : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    InstallWindowBackend(std::make_unique<RecordingBackend>());
    owner = CreateLoggingWindow(&kModule);
  }
  void TearDown() override { ResetWindowSystem(); }

  SHMENUBARINFO Request(UINT id) {
    SHMENUBARINFO info{};
    info.cbSize = 36;
    info.hwndParent = owner;
    info.nToolBarId = id;
    info.hInstRes = &kModule;
    return info;
  }

  HWND owner = nullptr;
};

TEST_F(SoftKeyBar, BuildsTheKeysAndTheirPopupFromTheResources) {
  SHMENUBARINFO info = Request(102);
  ASSERT_TRUE(SHCreateMenuBar(&info));
  ASSERT_NE(info.hwndMB, nullptr);
  const std::vector<SoftKey> keys = SoftKeysOf(owner);
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].label, u"Options");
  EXPECT_EQ(keys[0].command, 40001u);
  EXPECT_EQ(keys[0].menu, (std::vector<std::u16string>{u"Set last period", u"Help"}));
  EXPECT_EQ(keys[0].menu_commands, (std::vector<unsigned>{40003, 40004}));
  EXPECT_EQ(keys[1].label, u"Exit");
  EXPECT_EQ(keys[1].command, 40002u);
  EXPECT_TRUE(keys[1].menu.empty());
}

TEST_F(SoftKeyBar, BrokenRequestsAndResourcesFail) {
  for (UINT id : {200u, 201u, 999u}) {
    SHMENUBARINFO info = Request(id);
    info.hwndMB = owner;
    EXPECT_FALSE(SHCreateMenuBar(&info)) << id;
    EXPECT_EQ(info.hwndMB, nullptr) << id;
  }
  SHMENUBARINFO no_instance = Request(102);
  no_instance.hInstRes = nullptr;
  EXPECT_FALSE(SHCreateMenuBar(&no_instance));
  SHMENUBARINFO no_parent = Request(102);
  no_parent.hwndParent = nullptr;
  EXPECT_FALSE(SHCreateMenuBar(&no_parent));
  EXPECT_FALSE(SHCreateMenuBar(nullptr));
  EXPECT_TRUE(SoftKeysOf(owner).empty());
}

TEST_F(SoftKeyBar, TheBarIsAWindowThatGoesWithItsOwner) {
  SHMENUBARINFO info = Request(102);
  ASSERT_TRUE(SHCreateMenuBar(&info));
  EXPECT_TRUE(DestroyWindow(info.hwndMB));
  EXPECT_TRUE(SoftKeysOf(owner).empty());
  ASSERT_TRUE(SHCreateMenuBar(&info));
  EXPECT_TRUE(DestroyWindow(owner));
  EXPECT_FALSE(DestroyWindow(info.hwndMB));  // already gone with its owner
  EXPECT_TRUE(LiveWindows().empty());
}

}  // namespace

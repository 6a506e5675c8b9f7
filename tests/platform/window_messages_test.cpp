// Windows and their messages: creation order, paint coalescing, message boxes, destruction.
#include <gtest/gtest.h>

#include "tests/platform/window_test_support.h"

namespace {

class WindowMessages : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWindowSystem();
    auto recording = std::make_unique<RecordingBackend>();
    backend = recording.get();
    InstallWindowBackend(std::move(recording));
    RegisterLoggingClass(u"LOGGING");
  }
  void TearDown() override { ResetWindowSystem(); }

  HWND Create(DWORD style = WS_VISIBLE) {
    return CreateWindowExW(0, u"LOGGING", u"Title", style, CW_USEDEFAULT, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  }

  RecordingBackend* backend = nullptr;
};

int g_shown_at_create = -1;

LRESULT RecordShowsAtCreate(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) {
    g_shown_at_create = static_cast<RecordingBackend*>(CurrentWindowBackend())->shown;
    // The window has its size and title before it is shown.
    Rect client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 240);
    EXPECT_EQ(WindowTitle(window), u"Shown later");
  }
  return LoggingProc(window, message, wparam, lparam);
}

TEST_F(WindowMessages, CreateRunsBeforeTheWindowIsShownAndPaintsOnUpdate) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = RecordShowsAtCreate;
  window_class.lpszClassName = u"SHOWN_LATER";
  RegisterClassW(&window_class);
  HWND window =
      CreateWindowExW(0, u"shown_later", u"Shown later", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(g_shown_at_create, 0);
  EXPECT_EQ(backend->shown, 1);
  EXPECT_EQ(LoggedNumbers(), (std::vector<UINT>{WM_CREATE, WM_SIZE}));
  EXPECT_TRUE(UpdateWindow(window));
  EXPECT_TRUE(UpdateWindow(window));  // nothing pending any more: no second paint
  EXPECT_EQ(LoggedNumbers(), (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_PAINT}));
  Rect client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right, 240);
  EXPECT_EQ(client.bottom, 266);
}

TEST_F(WindowMessages, PaintRequestsCoalesceIntoOnePaint) {
  HWND window = Create();
  UpdateWindow(window);
  MessageLog().clear();
  EXPECT_FALSE(PaintPending(window));
  InvalidateRect(window, nullptr, FALSE);
  InvalidateRect(window, nullptr, TRUE);
  EXPECT_TRUE(PaintPending(window));
  UpdateWindow(window);
  UpdateWindow(window);
  EXPECT_FALSE(PaintPending(window));
  EXPECT_EQ(LoggedNumbers(), (std::vector<UINT>{WM_PAINT}));
}

TEST_F(WindowMessages, DestroyingSendsDestroyAndTheHandleDies) {
  HWND window = Create();
  UpdateWindow(window);
  MessageLog().clear();
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_EQ(LoggedNumbers(), (std::vector<UINT>{WM_DESTROY}));
  EXPECT_FALSE(DestroyWindow(window));
  EXPECT_FALSE(DestroyWindow(nullptr));
  EXPECT_EQ(SendMessageW(window, WM_KEYDOWN, static_cast<WPARAM>(Key::kDown), 1), 0);
  EXPECT_FALSE(InvalidateRect(window, nullptr, FALSE));
  EXPECT_FALSE(PaintPending(window));
  EXPECT_EQ(LoggedNumbers(), (std::vector<UINT>{WM_DESTROY}));
}

TEST_F(WindowMessages, CloseGoesThroughTheDefaultProcedureToDestroy) {
  HWND window = Create();
  MessageLog().clear();
  SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(LoggedNumbers(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_TRUE(LiveWindows().empty());
}

LRESULT RefuseCreation(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CREATE) return -1;
  return LoggingProc(window, message, wparam, lparam);
}

TEST_F(WindowMessages, CreationFailsForUnknownClassesAndRefusals) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = RefuseCreation;
  window_class.lpszClassName = u"REFUSING";
  RegisterClassW(&window_class);
  EXPECT_EQ(RegisterClassW(&window_class), 0);  // the name is taken
  EXPECT_EQ(CreateWindowExW(0, u"REFUSING", u"", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_EQ(CreateWindowExW(0, u"NO_SUCH_CLASS", u"", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);
  EXPECT_TRUE(LiveWindows().empty());
  EXPECT_EQ(backend->shown, 0);
}

TEST_F(WindowMessages, HiddenWindowsGetNoPaintUntilShown) {
  HWND window = Create(0);
  MessageLog().clear();
  InvalidateRect(window, nullptr, FALSE);
  EXPECT_FALSE(PaintPending(window));
  UpdateWindow(window);
  EXPECT_TRUE(MessageLog().empty());
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  EXPECT_EQ(LoggedNumbers(), (std::vector<UINT>{WM_PAINT}));
}

// The box is the loop's state (its sink): the call returns at once and the owner gets nothing.
TEST_F(WindowMessages, MessageBoxGoesToTheSinkAndReturnsAtOnce) {
  HWND window = Create();
  UpdateWindow(window);
  MessageLog().clear();
  ShowMessageBox(u"Caption", u"Text\r\nmore");
  ASSERT_EQ(backend->boxes.size(), 1u);
  EXPECT_EQ(backend->boxes[0].caption, u"Caption");
  EXPECT_EQ(backend->boxes[0].text, u"Text\r\nmore");
  EXPECT_FALSE(PaintPending(window));
  EXPECT_EQ(LoggedNumbers(), (std::vector<UINT>{}));
}

TEST_F(WindowMessages, ResizingSendsSizeThenRepaints) {
  HWND window = Create();
  UpdateWindow(window);
  MessageLog().clear();
  ASSERT_TRUE(ResizeClientArea(window, 100, 50));
  UpdateWindow(window);
  ASSERT_EQ(LoggedNumbers(), (std::vector<UINT>{WM_SIZE, WM_PAINT}));
  EXPECT_EQ(MessageLog()[0].lparam, MAKELPARAM(100, 50));
  Rect client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 100);
  EXPECT_EQ(client.bottom, 50);
}

}  // namespace

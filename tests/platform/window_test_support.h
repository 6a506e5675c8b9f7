// Shared by the window system's and drawing tests: a backend that records what it is asked
// and feeds scripted input, a window procedure that logs its messages, and a clean slate
// between tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/canvas/pixels/pixel_canvas.h"
#include "platform/ui/resource.h"
#include "platform/ui/window.h"
#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"
#include "platform/ui/window_paint.h"

// A module with the program's soft-key bar (102): "Options" (40001) with the items "Set last
// period" (40003) and "Help" (40004), and "Exit" (40002).
inline constexpr StringResource kTestStrings[] = {
    {1, u"Cyclune"}, {104, u"Options"}, {105, u"Exit"}, {107, u"Help"}};
inline constexpr MenuItemResource kTestOptionsItems[] = {{u"Set last period", 40003},
                                                         {u"Help", 40004}};
inline constexpr PopupResource kTestPopups[] = {{u"Options", kTestOptionsItems}};
inline constexpr MenuResource kTestMenus[] = {{102, kTestPopups}};
inline constexpr WORD kTestBarWords[] = {102,
                                         2,
                                         I_IMAGENONE,
                                         40001,
                                         TBSTATE_ENABLED,
                                         TBSTYLE_DROPDOWN | TBSTYLE_AUTOSIZE,
                                         104,
                                         0,
                                         0,
                                         I_IMAGENONE,
                                         40002,
                                         TBSTATE_ENABLED,
                                         TBSTYLE_AUTOSIZE,
                                         105,
                                         0,
                                         NOMENU};
inline constexpr MenuBarResource kTestBars[] = {{102, kTestBarWords}};
inline const ModuleResources kSoftKeyModule{kTestStrings, kTestMenus, kTestBars, {}};

struct RecordedBox {
  std::u16string caption;
  std::u16string text;
};

class RecordingBackend final : public WindowBackend {
 public:
  std::vector<std::function<void()>> inputs;  // one is run for each wait
  std::size_t next_input = 0;
  std::vector<RecordedBox> boxes;
  int shown = 0;
  int foreground_requests = 0;

  void WindowShown(HWND) override { ++shown; }
  void BringToForeground(HWND) override { ++foreground_requests; }
  int ShowMessageBox(HWND, std::u16string_view text, std::u16string_view caption, UINT) override {
    boxes.push_back({std::u16string(caption), std::u16string(text)});
    return IDOK;
  }
  bool WaitForInput() override {
    if (next_input >= inputs.size()) return false;
    inputs[next_input++]();
    return true;
  }
};

struct LoggedMessage {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
};

// Every message that LoggingProc received, in order.
inline std::vector<LoggedMessage>& MessageLog() {
  static std::vector<LoggedMessage> log;
  return log;
}

// Logs each message; paints validate; WM_DESTROY posts quit code 3.
inline LRESULT LoggingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  MessageLog().push_back({message, wparam, lparam});
  switch (message) {
    case WM_PAINT: {
      Canvas* screen = nullptr;
      if (BeginWindowPaint(window, &screen)) EndWindowPaint(window);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(3);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// Destroys every window, drops what is queued and removes the backend.
inline void ResetWindowSystem() {
  while (!LiveWindows().empty()) DestroyWindow(LiveWindows().front().get());
  InstallWindowBackend(nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) != 0) {
  }
  MessageLog().clear();
}

// Registers (once) a class of LoggingProc under `name`.
inline void RegisterLoggingClass(const char16_t* name) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = LoggingProc;
  window_class.lpszClassName = name;
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClassW(&window_class);  // 0 when an earlier test registered it: that is fine
}

// A shown and painted window of LoggingProc's class "LOGGING" with the resources of
// `module`, the log cleared.
inline HWND CreateLoggingWindow(HINSTANCE module) {
  RegisterLoggingClass(u"LOGGING");
  HWND window = CreateWindowExW(0, u"LOGGING", u"Owner", WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, module, nullptr);
  UpdateWindow(window);
  MessageLog().clear();
  return window;
}

// Runs the message loop to its end; returns the quit code.
inline WPARAM RunMessageLoop() {
  MSG msg;
  BOOL result;
  while ((result = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (result == -1) return static_cast<WPARAM>(-1);
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return msg.wParam;
}

// The messages of the log, numbers only, leaving out those in `ignored`.
inline std::vector<UINT> LoggedNumbers(std::initializer_list<UINT> ignored = {}) {
  std::vector<UINT> numbers;
  for (const LoggedMessage& logged : MessageLog()) {
    if (std::find(ignored.begin(), ignored.end(), logged.message) == ignored.end()) {
      numbers.push_back(logged.message);
    }
  }
  return numbers;
}

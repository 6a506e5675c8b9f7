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

struct RecordedBox {
  std::u16string caption;
  std::u16string text;
};

// The message boxes opened (ShowMessageBox) while a RecordingBackend is installed.
inline std::vector<RecordedBox>& RecordedBoxes() {
  static std::vector<RecordedBox> boxes;
  return boxes;
}
inline void RecordBox(std::u16string_view caption, std::u16string_view text) {
  RecordedBoxes().push_back({std::u16string(caption), std::u16string(text)});
}

class RecordingBackend final : public WindowBackend {
 public:
  RecordingBackend() {
    RecordedBoxes().clear();
    SetMessageBoxSink(RecordBox);
  }
  ~RecordingBackend() override { SetMessageBoxSink(nullptr); }
  RecordingBackend(const RecordingBackend&) = delete;
  RecordingBackend& operator=(const RecordingBackend&) = delete;

  std::vector<RecordedBox>& boxes = RecordedBoxes();
  int shown = 0;
  int foreground_requests = 0;

  void ShowWindow(ProgramWindow&) override { ++shown; }
  void ComeForward() override { ++foreground_requests; }
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

// Logs each message; paints validate.
inline LRESULT LoggingProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  MessageLog().push_back({message, wparam, lparam});
  switch (message) {
    case WM_PAINT: {
      Canvas* screen = nullptr;
      if (BeginWindowPaint(window, &screen)) EndWindowPaint(window);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

// Destroys every window and removes the backend.
inline void ResetWindowSystem() {
  while (!LiveWindows().empty()) DestroyWindow(LiveWindows().front().get());
  InstallWindowBackend(nullptr);
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

// The message queue of the one user-interface thread. GetMessageW takes, in this order:
// posted messages, the quit request, a pending paint, and only then asks the backend for
// input. Paint requests are flags on the window, so any number of them make one WM_PAINT.
#include <chrono>
#include <deque>

#include "platform/instance/single_instance.h"
#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"
#include "platform/ui/window_paint.h"

namespace {

struct MessageQueue {
  std::deque<MSG> posted;
  bool quit_requested = false;
  int quit_code = 0;
};

MessageQueue& Queue() {
  static MessageQueue* queue = new MessageQueue();  // lives as long as the process
  return *queue;
}

DWORD MessageTime() {
  static const auto start = std::chrono::steady_clock::now();
  const auto elapsed = std::chrono::steady_clock::now() - start;
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

MSG MakeMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return MSG{window, message, wparam, lparam, MessageTime(), POINT{0, 0}};
}

bool InRange(UINT message, UINT min_filter, UINT max_filter) {
  if (min_filter == 0 && max_filter == 0) return true;
  return message >= min_filter && message <= max_filter;
}

bool ForWindow(HWND target, HWND filter) { return filter == nullptr || target == filter; }

bool TakePosted(MSG* msg, HWND filter, UINT min_filter, UINT max_filter) {
  auto& posted = Queue().posted;
  for (auto it = posted.begin(); it != posted.end(); ++it) {
    if (ForWindow(it->hwnd, filter) && InRange(it->message, min_filter, max_filter)) {
      *msg = *it;
      posted.erase(it);
      return true;
    }
  }
  return false;
}

HWND WindowToPaint(HWND filter) {
  for (const auto& window : LiveWindows()) {
    if (window->paint_pending && window->visible && !window->destroying &&
        ForWindow(window.get(), filter)) {
      return window.get();
    }
  }
  return nullptr;
}

// The character a key makes without shift state, 0 for keys that make none.
char16_t CharacterOfKey(WPARAM key) {
  if (key == VK_RETURN || key == VK_ESCAPE || key == 0x08 || key == 0x09 || key == 0x20) {
    return static_cast<char16_t>(key);
  }
  if ((key >= '0' && key <= '9')) return static_cast<char16_t>(key);
  if (key >= 'A' && key <= 'Z') return static_cast<char16_t>(key - 'A' + 'a');
  return 0;
}

}  // namespace

void RemoveQueuedMessages(HWND window) {
  std::erase_if(Queue().posted, [window](const MSG& msg) { return msg.hwnd == window; });
}

BOOL GetMessageW(MSG* msg, HWND window, UINT min_filter, UINT max_filter) {
  if (msg == nullptr) return -1;
  if (window != nullptr && !IsLiveWindow(window)) return -1;
  MessageQueue& queue = Queue();
  for (;;) {
    if (TakePosted(msg, window, min_filter, max_filter)) {
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    if (queue.quit_requested) {
      queue.quit_requested = false;
      *msg = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quit_code), 0);
      return FALSE;
    }
    if (InRange(WM_PAINT, min_filter, max_filter)) {
      if (HWND target = WindowToPaint(window)) {
        *msg = MakeMessage(target, WM_PAINT, 0, 0);
        return TRUE;
      }
    }
    ServiceForegroundRequests();
    if (!queue.posted.empty()) continue;
    WindowBackend* backend = CurrentWindowBackend();
    if (backend == nullptr || !backend->WaitForInput()) {
      *msg = MakeMessage(nullptr, WM_QUIT, 0, 0);
      return FALSE;
    }
  }
}

BOOL TranslateMessage(const MSG* msg) {
  if (msg == nullptr || msg->message != WM_KEYDOWN) return FALSE;
  const char16_t character = CharacterOfKey(msg->wParam);
  if (character == 0) return FALSE;
  // The character message is the next one the loop takes, as on the platform.
  Queue().posted.push_front(MakeMessage(msg->hwnd, WM_CHAR, character, msg->lParam));
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (msg == nullptr || !IsLiveWindow(msg->hwnd)) return 0;
  return msg->hwnd->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL PostMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (window != nullptr && !IsLiveWindow(window)) return FALSE;
  Queue().posted.push_back(MakeMessage(window, message, wparam, lparam));
  return TRUE;
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!IsLiveWindow(window)) return 0;
  return window->procedure(window, message, wparam, lparam);
}

void PostQuitMessage(int exit_code) {
  Queue().quit_requested = true;
  Queue().quit_code = exit_code;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT: {
      // A window that does not paint still has its request consumed, or it would come back.
      Canvas* screen = nullptr;
      if (BeginWindowPaint(window, &screen)) EndWindowPaint(window);
      return 0;
    }
    default:
      return 0;
  }
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL) {
  if (window == nullptr) {
    for (const auto& each : LiveWindows()) {
      if (!each->is_menu_bar) each->paint_pending = true;
    }
    return TRUE;
  }
  if (!IsLiveWindow(window) || window->is_menu_bar) return FALSE;
  if (rect != nullptr && window->canvas != nullptr) {
    const bool outside = rect->right <= 0 || rect->bottom <= 0 || rect->left >= rect->right ||
                         rect->top >= rect->bottom || rect->left >= window->canvas->Width() ||
                         rect->top >= window->canvas->Height();
    if (outside) return TRUE;
  }
  window->paint_pending = true;
  return TRUE;
}

BOOL UpdateWindow(HWND window) {
  if (!IsLiveWindow(window)) return FALSE;
  if (window->paint_pending && window->visible) SendMessageW(window, WM_PAINT, 0, 0);
  return TRUE;
}

void ValidateWindow(HWND window) {
  if (IsLiveWindow(window)) window->paint_pending = false;
}

void ServiceForegroundRequests() {
  for (int requests = TakeForegroundRequests(); requests > 0; --requests) {
    HWND window = InputWindow();
    WindowBackend* backend = CurrentWindowBackend();
    if (window != nullptr && backend != nullptr) backend->BringToForeground(window);
  }
  // Posted, so that a recording asked for while a message box is open waits for it to close.
  for (const SYSTEMTIME& day : TakeRecordPeriodRequests()) {
    if (HWND window = InputWindow()) {
      PostMessageW(window, WM_RECORD_PERIOD_REQUEST, RecordPeriodRequestParam(day), 0);
    }
  }
}

#include "app/win_main.h"

#include <cstdint>

#include "app/main_window.h"
#include "model/app_state.h"
#include "platform/ui/app_window.h"
#include "platform/ui/window.h"
#include "resources/resources.h"

namespace {

constexpr int kNameCapacity = 100;  // title and class name, terminator included

// The platform lets a window be brought forward by its handle with the lowest bit set.
HWND ForegroundHandle(HWND window) {
  return reinterpret_cast<HWND>(reinterpret_cast<std::uintptr_t>(window) | 1u);
}

}  // namespace

ATOM RegisterMainClass(HINSTANCE instance, const char16_t* class_name) {
  WNDCLASSW window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = MainWndProc;
  window_class.cbClsExtra = 0;
  window_class.cbWndExtra = 0;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  window_class.hCursor = nullptr;
  window_class.hbrBackground = GetStockObject(WHITE_BRUSH);
  window_class.lpszMenuName = nullptr;
  window_class.lpszClassName = class_name;
  return RegisterClassW(&window_class);
}

BOOL InitInstance(HINSTANCE instance, int show_command) {
  AppWindow.Instance = instance;
  SHInitExtraControls();
  char16_t title[kNameCapacity] = {};
  char16_t class_name[kNameCapacity] = {};
  LoadStringW(instance, IDS_APP_TITLE, title, kNameCapacity);
  LoadStringW(instance, IDS_WINDOW_CLASS, class_name, kNameCapacity);

  HWND running = FindWindowW(class_name, title);
  if (running != nullptr) {
    SetForegroundWindow(ForegroundHandle(running));
    return FALSE;
  }
  if (RegisterMainClass(instance, class_name) == 0) return FALSE;

  HWND window = CreateWindowExW(0, class_name, title, WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return FALSE;
  ShowWindow(window, show_command);
  UpdateWindow(window);
  AppWindow.MainWindow = window;
  return TRUE;
}

int WinMain(HINSTANCE instance, HINSTANCE /*previous*/, const char16_t* /*command_line*/,
            int show_command) {
  if (!InitInstance(instance, show_command)) return 0;
  MSG message{};
  // A failed fetch (-1) is non-zero too: the loop keeps going, as the platform's does.
  while (GetMessageW(&message, nullptr, 0, 0) != 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

#include "app/win_main.h"

#include <algorithm>

#include "app/event_loop.h"
#include "app/history_menu.h"
#include "app/main_window.h"
#include "model/calendar_state.h"
#include "platform/instance/single_instance.h"
#include "platform/ui/app_window.h"
#include "platform/ui/window.h"
#include "resources/resources.h"

std::vector<SoftKey> WindowCalendar::SoftKeys() { return soft_keys_; }

void WindowCalendar::KeyDown(Key key) {
  SendMessageW(window_, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
}

void WindowCalendar::Tap(int x, int y) {
  SendMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON,
               MAKELPARAM(static_cast<WORD>(std::clamp(x, 0, 0xFFFF)),
                          static_cast<WORD>(std::clamp(y, 0, 0xFFFF))));
}

void WindowCalendar::Command(unsigned command) {
  SendMessageW(window_, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

void WindowCalendar::RecordPeriod(CivilDay day) {
  SendMessageW(window_, WM_RECORD_PERIOD_REQUEST, RecordPeriodRequestParam(day), 0);
}

void WindowCalendar::Close() { DestroyWindow(window_); }

bool WindowCalendar::Closed() { return ClientCanvas(window_) == nullptr; }

bool WindowCalendar::Paint() {
  if (!PaintPending(window_)) return false;
  UpdateWindow(window_);
  return true;
}

const Canvas* WindowCalendar::Picture() { return ClientCanvas(window_); }

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
  const std::u16string title(TextOf(TextId::kAppTitle));
  const std::u16string class_name(TextOf(TextId::kWindowClass));

  // Cyclune already runs on these settings: it is asked to come forward and this start ends.
  if (SingleInstanceEnabled() && AnotherInstanceRunning()) {
    AskRunningInstanceToComeForward();
    return FALSE;
  }
  // Registered already: the window is open in this process.
  if (RegisterMainClass(instance, class_name.c_str()) == 0) return FALSE;

  HWND window = CreateWindowExW(0, class_name.c_str(), title.c_str(), WS_VISIBLE, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                instance, nullptr);
  if (window == nullptr) return FALSE;
  ShowWindow(window, show_command);
  UpdateWindow(window);
  AppWindow.MainWindow = window;
  return TRUE;
}

int RunCalendar(UiFrontEnd& front_end, const CalendarOptions& options) {
  SetFrontEndSource(options.source);
  if (!InitInstance(&CycluneModule, SW_SHOWNORMAL)) return 0;
  WindowCalendar calendar(AppWindow.MainWindow, CycluneSoftKeys());
  return RunEventLoop(front_end, calendar);
}

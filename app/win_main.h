// The program's start: keeps to one instance, registers the main window class, creates and
// shows the main window (whose procedure is MainWndProc), and runs the event loop
// (app/event_loop.h) on the installed front end until the window closes or the input ends.
// The front end (desktop, terminal, headless) is chosen before WinMain runs; this code is
// the same on every one.
#pragma once

#include "app/event_loop.h"
#include "history/history_types.h"
#include "platform/ui/win_types.h"

// A window as the event loop's calendar: its procedure gets the keys (WM_KEYDOWN), taps
// (WM_LBUTTONDOWN), commands (WM_COMMAND) and recordings (WM_RECORD_PERIOD_REQUEST); closing
// destroys it. `soft_keys` are the bar's.
class WindowCalendar final : public LoopCalendar {
 public:
  explicit WindowCalendar(HWND window, std::vector<SoftKey> soft_keys = {})
      : window_(window), soft_keys_(std::move(soft_keys)) {}
  std::vector<SoftKey> SoftKeys() override;
  void KeyDown(Key key) override;
  void Tap(int x, int y) override;
  void Command(unsigned command) override;
  void RecordPeriod(CivilDay day) override;
  void Close() override;
  bool Closed() override;
  bool Paint() override;
  const Canvas* Picture() override;

 private:
  HWND window_;
  std::vector<SoftKey> soft_keys_;
};

// How the calendar runs: where its recordings are said to come from.
struct CalendarOptions {
  HistorySource source = HistorySource::kWindow;
};

// Runs the program on `front_end`: InitInstance, then the event loop. Returns 0.
int RunCalendar(UiFrontEnd& front_end, const CalendarOptions& options);

// Stores the instance; asks a running instance (platform/instance) to come forward and
// returns FALSE if there is one, or when the class is registered already (the window is open
// in this process). Else registers the class, creates, shows and paints the main window,
// stores it in AppWindow.MainWindow and returns TRUE. FALSE on any failure.
BOOL InitInstance(HINSTANCE instance, int show_command);

// Registers the main window class (MainWndProc, icon IDI_APP, white background) under
// class_name; returns its atom, 0 on failure.
ATOM RegisterMainClass(HINSTANCE instance, const char16_t* class_name);

// The program's window as the window system knows it: its handles. Kept apart from the cycle state,
// which the model passes as values; this record goes with the window system it names.
#pragma once

#include "platform/ui/win_types.h"

struct AppWindowRecord {
  HWND MainWindow = nullptr;
  HINSTANCE Instance = nullptr;
};

extern AppWindowRecord AppWindow;

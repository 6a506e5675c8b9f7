// The program's window as the window system knows it: its handles and the geometry of its last
// paint. Kept apart from the cycle state, which the model passes as values; this record goes
// with the window system it names.
#pragma once

#include <cstdint>

#include "platform/canvas/geometry.h"
#include "platform/ui/win_types.h"

struct AppWindowRecord {
  HWND MainWindow = nullptr;
  HINSTANCE Instance = nullptr;
  Rect ClientRect{};           // client rectangle at the last paint
  std::int32_t CellWidth = 0;  // month-grid cell, pixels, from the last paint
  std::int32_t CellHeight = 0;
};

extern AppWindowRecord AppWindow;

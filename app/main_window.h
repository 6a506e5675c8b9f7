// The main window's procedure: makes the start-up state when the window is created, routes
// paints, key presses and taps to the month view and carries out the menu commands ("Exit",
// "Set last period", "Help"...). Every other message goes to the platform's default procedure.
#pragma once

#include "platform/ui/win_types.h"
#include "platform/ui/window.h"

// The window procedure of the main window class. Returns 0 for every message it handles,
// otherwise DefWindowProcW's result.
LRESULT MainWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The program's entry on the window system: keeps to one instance, registers the main
// window class, creates and shows the main window (whose procedure is MainWndProc), and
// pumps messages until the quit request. The front end (desktop, terminal, headless) is
// chosen before WinMain runs; this code is the same on every one.
#pragma once

#include "platform/ui/win_types.h"

// Runs the program: InitInstance, then the message loop. Returns the quit request's exit
// code, or 0 when start-up failed or another instance was already running.
int WinMain(HINSTANCE instance, HINSTANCE previous, const char16_t* command_line, int show_command);

// Stores the instance, brings a running instance forward and returns FALSE if there is
// one, else registers the class, creates, shows and paints the main window, stores it in
// AppWindow.MainWindow and returns TRUE. FALSE on any failure.
BOOL InitInstance(HINSTANCE instance, int show_command);

// Registers the main window class (MainWndProc, icon IDI_APP, white background) under
// class_name; returns its atom, 0 on failure.
ATOM RegisterMainClass(HINSTANCE instance, const char16_t* class_name);

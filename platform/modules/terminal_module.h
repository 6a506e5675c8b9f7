// The terminal module, cyclune-terminal.so: the terminal front end over ncurses. The program
// opens it (platform/modules/module_loader.h) only when the terminal is started, so the commands
// for scripts (--report, --month, --ics, --import) never load ncurses. Character cells themselves
// (the canvas, printing a window as text) stay in the program, as --month uses them.
//
// Like the window module it runs on the program module's platform and exports only
// its entry. Platform-internal: platform/modules/terminal_loader.cpp opens the module,
// platform/modules/terminal_module.cpp is its entry.
#pragma once

#include "platform/modules/module_loader.h"
#include "platform/terminal/terminal.h"

constexpr ModuleName kTerminalModule{"cyclune-terminal.so", "CycluneTerminalModule", 3};

// The module's own front-end functions (platform/terminal/terminal.h).
using TerminalModule = ModuleTable<&StartTerminal, &TerminalNeedsDayMarks, &FinishTerminal>;

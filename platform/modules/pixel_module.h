// The window module, cyclune-pixels.so: the front ends that draw pixels (the desktop window
// over SDL2 and the headless runner) with the pixel canvas, its text and its PNG files. The
// program opens it (platform/modules/module_loader.h) only when one of them starts, so the
// terminal,
// --help, --version and the command-line outputs never load SDL2, SDL_ttf, SDL_image,
// fontconfig or what they pull in (X11, Wayland, audio, image codecs).
//
// The module runs on the platform of the program that opens it: it resolves the platform's
// functions against the program module, and exports only its entry, which returns the table
// below. Platform-internal: platform/modules/pixel_loader.cpp opens the module,
// platform/modules/pixel_module.cpp is its entry.
#pragma once

#include "platform/modules/desktop.h"
#include "platform/modules/headless.h"
#include "platform/modules/module_loader.h"

constexpr ModuleName kPixelModule{"cyclune-pixels.so", "CyclunePixelModule", 2};

// The module's own front-end functions (platform/modules/desktop.h, platform/modules/headless.h).
using PixelModule =
    ModuleTable<&StartDesktopWindow, &FinishDesktopWindow, &StartHeadless, &FinishHeadless>;

// Cyclune's module resources: the string table (window title, class name, soft-key labels,
// help text), the soft-key bar with its "Options" menu, and the 32 x 32 application icon.
// The shell passes &CycluneModule as its instance handle; the window system reads every
// resource from it by id. There is no high-resolution marker resource: every front end
// draws the view at its own scale, so the marker would tell nothing to anyone.
#pragma once

#include "platform/ui/resource.h"
#include "platform/ui/win_types.h"

// Strings.
constexpr UINT IDS_APP_TITLE = 1;     // "Cyclune", the window title
constexpr UINT IDS_WINDOW_CLASS = 2;  // "CYCLUNE", the window class name
constexpr UINT IDS_OPTIONS = 104;     // left soft-key label
constexpr UINT IDS_EXIT = 105;        // right soft-key label
constexpr UINT IDS_HELP_TEXT = 106;   // the help box text
constexpr UINT IDS_HELP = 107;        // the help box caption

// Icon, soft-key bar and menu.
constexpr UINT IDI_APP = 101;
constexpr UINT IDR_MENU = 102;

// Commands, posted as WM_COMMAND with the id in the low 16 bits of the first parameter.
constexpr UINT IDM_OPTIONS = 40001;           // left soft key: opens the "Options" menu
constexpr UINT IDM_EXIT = 40002;              // right soft key
constexpr UINT IDM_SET_LAST_PERIOD = 40003;   // "Options" > "Set last period"
constexpr UINT IDM_HELP = 40004;              // "Options" > "Help"
constexpr UINT IDM_UNDO_LAST_PERIOD = 40005;  // "Options" > "Undo last period"
constexpr UINT IDM_HISTORY = 40006;           // "Options" > "History"

// The icon's size and colour depth: one 32 x 32 image, 24-bit colour.
constexpr int kAppIconSize = 32;

// Every resource of the program, the record an HINSTANCE of Cyclune points at.
extern const ModuleResources CycluneModule;

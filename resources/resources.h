// Cyclune's resources: its texts (window title, soft-key labels, help text), the soft-key bar
// with its "Options" menu and their command numbers, and the 32 x 32 application icon, which
// the front ends show for the window.
#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "platform/ui/events.h"
#include "platform/ui/resource.h"

enum class TextId {
  kAppTitle,  // "Cyclune", the window title
  kOptions,   // left soft-key label
  kExit,      // right soft-key label
  kHelpText,  // the help box text
  kHelp,      // the help box caption
  kCount,
};
std::u16string_view TextOf(TextId id);

// Commands of the soft keys and the menu; the headless script's `command ID` names them.
constexpr unsigned IDM_OPTIONS = 40001;           // left soft key: opens the "Options" menu
constexpr unsigned IDM_EXIT = 40002;              // right soft key
constexpr unsigned IDM_SET_LAST_PERIOD = 40003;   // "Options" > "Set last period"
constexpr unsigned IDM_HELP = 40004;              // "Options" > "Help"
constexpr unsigned IDM_UNDO_LAST_PERIOD = 40005;  // "Options" > "Undo last period"
constexpr unsigned IDM_HISTORY = 40006;           // "Options" > "History"

// The icon's size and colour depth: one 32 x 32 image, 24-bit colour.
constexpr int kAppIconSize = 32;

// One item of a soft key's menu.
struct MenuEntry {
  std::u16string_view label;
  unsigned command;
};

struct SoftKeyEntry {
  TextId label;
  unsigned command;
  std::span<const MenuEntry> menu;  // empty: the key has no menu
};

// The bar's keys, left first.
std::span<const SoftKeyEntry> SoftKeyTable();
// The same as the modal model takes them.
std::vector<SoftKey> CycluneSoftKeys();

// The application icon, kAppIconSize square.
const IconResource& CycluneIcon();

// Module resources: what a program links in beside its code and the window system reads by
// id: the string table, soft-key bars with their menus, and icons. A module instance handle
// (HINSTANCE) points at one ModuleResources record, defined by the program (resources/).
#pragma once

#include <span>
#include <string_view>

#include "platform/ui/win_types.h"

struct StringResource {
  UINT id;
  std::u16string_view text;
};

// One item of a popup menu: its label and the command id posted as WM_COMMAND when chosen.
struct MenuItemResource {
  std::u16string_view label;
  UINT command;
};

struct PopupResource {
  std::u16string_view label;
  std::span<const MenuItemResource> items;
};

// A menu resource: its popups, in order.
struct MenuResource {
  UINT id;
  std::span<const PopupResource> popups;
};

// A soft-key bar resource: the record of 16-bit words of the platform format: the menu id,
// the button count, then seven words per button: image index, command id, state, style,
// label string id, 0, index of the popup in the menu (0xFFFF: none).
struct MenuBarResource {
  UINT id;
  std::span<const WORD> words;
};

// A 24-bit colour image, rows top to bottom, three bytes a pixel in R, G, B order.
struct IconResource {
  UINT id;
  int width;
  int height;
  std::span<const BYTE> rgb;
};

struct ModuleResources {
  std::span<const StringResource> strings;
  std::span<const MenuResource> menus;
  std::span<const MenuBarResource> menu_bars;
  std::span<const IconResource> icons;
};

// Soft-key bar button words.
constexpr WORD I_IMAGENONE = 0xFFFE;
constexpr WORD NOMENU = 0xFFFF;
constexpr WORD TBSTATE_ENABLED = 0x04;
constexpr WORD TBSTYLE_AUTOSIZE = 0x10;
constexpr WORD TBSTYLE_DROPDOWN = 0x08;

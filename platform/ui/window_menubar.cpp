// The soft-key bar: built from a menu-bar resource (16-bit words) and the menu it names. The
// bar is a window owned by its parent; the program's loop reads its keys (SoftKeysOf).
#include <span>

#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

namespace {

constexpr std::size_t kWordsPerButton = 7;

const MenuBarResource* FindMenuBar(HINSTANCE instance, UINT id) {
  for (const MenuBarResource& bar : instance->menu_bars) {
    if (bar.id == id) return &bar;
  }
  return nullptr;
}

const MenuResource* FindMenu(HINSTANCE instance, UINT id) {
  for (const MenuResource& menu : instance->menus) {
    if (menu.id == id) return &menu;
  }
  return nullptr;
}

std::u16string StringOf(HINSTANCE instance, UINT id) {
  for (const StringResource& string : instance->strings) {
    if (string.id == id) return std::u16string(string.text);
  }
  return {};
}

// Reads the buttons; false when the words are short or a popup index names no popup.
bool ReadSoftKeys(HINSTANCE instance, const MenuBarResource& bar,
                  std::vector<SoftKeyRecord>* keys) {
  const std::span<const WORD> words = bar.words;
  if (words.size() < 2) return false;
  const MenuResource* menu = FindMenu(instance, words[0]);
  const std::size_t count = words[1];
  if (words.size() < 2 + count * kWordsPerButton) return false;
  for (std::size_t i = 0; i < count; ++i) {
    const std::span<const WORD> button = words.subspan(2 + i * kWordsPerButton, kWordsPerButton);
    SoftKeyRecord key;
    key.command = button[1];
    key.label = StringOf(instance, button[4]);
    if (button[6] != NOMENU) {
      if (menu == nullptr || button[6] >= menu->popups.size()) return false;
      key.popup = &menu->popups[button[6]];
    }
    keys->push_back(std::move(key));
  }
  return true;
}

HWND MenuBarOf(HWND owner) {
  if (!IsLiveWindow(owner)) return nullptr;
  for (const auto& window : LiveWindows()) {
    if (window->is_menu_bar && window->owner == owner && !window->destroying) {
      return window.get();
    }
  }
  return nullptr;
}

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
  if (info == nullptr) return FALSE;
  info->hwndMB = nullptr;
  HWND owner = info->hwndParent;
  if (!IsLiveWindow(owner) || owner->is_menu_bar || info->hInstRes == nullptr) return FALSE;
  const MenuBarResource* resource = FindMenuBar(info->hInstRes, info->nToolBarId);
  if (resource == nullptr) return FALSE;
  auto bar = std::make_unique<WindowObject>();
  if (!ReadSoftKeys(info->hInstRes, *resource, &bar->soft_keys)) return FALSE;
  // A window has one bar: a new one replaces the old.
  if (HWND old = MenuBarOf(owner)) DestroyWindow(old);
  bar->class_name = u"menu_worker";
  bar->procedure = DefWindowProcW;
  bar->owner = owner;
  bar->is_menu_bar = true;
  info->hwndMB = AdoptWindow(std::move(bar));
  if (WindowBackend* backend = CurrentWindowBackend()) backend->MenuBarChanged(owner);
  return TRUE;
}

std::vector<SoftKey> SoftKeysOf(HWND owner) {
  std::vector<SoftKey> keys;
  HWND bar = MenuBarOf(owner);
  if (bar == nullptr) return keys;
  for (const SoftKeyRecord& record : bar->soft_keys) {
    SoftKey key{record.label, record.command, {}, {}};
    if (record.popup != nullptr) {
      for (const MenuItemResource& item : record.popup->items) {
        key.menu.emplace_back(item.label);
        key.menu_commands.push_back(item.command);
      }
    }
    keys.push_back(std::move(key));
  }
  return keys;
}

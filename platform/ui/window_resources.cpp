// Reading the module's icons, and message boxes handed to the running loop.
#include <algorithm>
#include <map>

#include "platform/ui/test_hooks.h"
#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

struct IconObject {
  const IconResource* resource;
};

namespace {

MessageBoxSink g_message_box_sink = nullptr;

// Icons loaded from a module are shared and live as long as the process, as on the platform.
std::map<const IconResource*, IconObject>& LoadedIcons() {
  static auto* icons = new std::map<const IconResource*, IconObject>();
  return *icons;
}

bool IsIntegerResource(const char16_t* name) {
  return reinterpret_cast<std::uintptr_t>(name) < 0x10000;
}

}  // namespace

HICON LoadIconW(HINSTANCE instance, const char16_t* name) {
  if (instance == nullptr || name == nullptr || !IsIntegerResource(name)) return nullptr;
  const auto id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name));
  for (const IconResource& icon : instance->icons) {
    if (icon.id != id) continue;
    auto [entry, added] = LoadedIcons().try_emplace(&icon, IconObject{&icon});
    return &entry->second;
  }
  return nullptr;
}

const IconResource* IconResourceOf(HICON icon) {
  if (icon == nullptr) return nullptr;
  for (auto& [resource, object] : LoadedIcons()) {
    if (&object == icon) return resource;
  }
  return nullptr;
}

void ShowMessageBox(std::u16string_view caption, std::u16string_view text) {
  LogMessageBoxForTests(caption, text);
  if (g_message_box_sink != nullptr) g_message_box_sink(caption, text);
}

void SetMessageBoxSink(MessageBoxSink sink) { g_message_box_sink = sink; }

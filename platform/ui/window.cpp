// Window classes and windows: registration, creation with its synchronous WM_CREATE,
// showing, destruction, lookup, and what backends ask of a window.
#include <algorithm>
#include <cstdint>

#include "platform/ui/window_backend.h"
#include "platform/ui/window_internal.h"

// A brush is only a colour here: the background a window's canvas starts in.
struct GdiObject {
  Rgb colour;
};

namespace {

GdiObject g_white_brush{Rgb{255, 255, 255}};

struct WindowClassRecord {
  std::u16string name;
  ATOM atom = 0;
  WNDCLASSW definition{};
};

// Without a backend, windows are made on a front end that only makes the default kind of
// canvas.
class DefaultKindFrontEnd final : public UiFrontEnd {
 public:
  std::unique_ptr<Canvas> MakeCanvas(int width, int height) override {
    const CanvasMaker maker = DefaultCanvasMaker();
    return maker != nullptr ? maker(width, height) : nullptr;
  }
  bool WaitEvents(std::vector<UiEvent>*) override { return false; }
  void Present(const Canvas*, ModalModel&, bool) override {}
};

UiFrontEnd& WindowFrontEnd();

struct WindowRegistry {
  std::vector<WindowClassRecord> classes;
  std::vector<std::unique_ptr<WindowObject>> windows;
  std::unique_ptr<UiFrontEnd> backend;
  CanvasMaker default_canvas_maker = nullptr;
  std::uint64_t show_clock = 0;
  ATOM next_atom = 0xC000;  // the platform's range for registered class atoms
};

WindowRegistry& Registry() {
  static WindowRegistry* registry = new WindowRegistry();  // lives as long as the process
  return *registry;
}

bool IsAtom(const char16_t* name) { return reinterpret_cast<std::uintptr_t>(name) < 0x10000; }

char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? c - u'a' + u'A' : c; }

// Class names compare without regard to ASCII case, as on the platform.
bool SameClassName(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](auto x, auto y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

const WindowClassRecord* FindClass(const char16_t* name) {
  if (name == nullptr) return nullptr;
  for (const WindowClassRecord& record : Registry().classes) {
    if (IsAtom(name) ? record.atom == reinterpret_cast<std::uintptr_t>(name)
                     : SameClassName(record.name, name)) {
      return &record;
    }
  }
  return nullptr;
}

UiFrontEnd& WindowFrontEnd() {
  static DefaultKindFrontEnd* default_kind = new DefaultKindFrontEnd();
  UiFrontEnd* backend = CurrentWindowBackend();
  return backend != nullptr ? *backend : *default_kind;
}

}  // namespace

HGDIOBJ GetStockObject(int object) { return object == WHITE_BRUSH ? &g_white_brush : nullptr; }

bool BrushColour(HBRUSH brush, Rgb* colour) {
  if (brush != &g_white_brush) return false;
  *colour = brush->colour;
  return true;
}

bool IsLiveWindow(HWND window) {
  if (window == nullptr) return false;
  const auto& windows = Registry().windows;
  return std::any_of(windows.begin(), windows.end(),
                     [window](const auto& live) { return live.get() == window; });
}

const std::vector<std::unique_ptr<WindowObject>>& LiveWindows() { return Registry().windows; }

HWND AdoptWindow(std::unique_ptr<WindowObject> window) {
  Registry().windows.push_back(std::move(window));
  return Registry().windows.back().get();
}

void InstallWindowBackend(std::unique_ptr<UiFrontEnd> backend) {
  // The windows shown on the old front end go with it.
  while (!Registry().windows.empty()) DestroyWindow(Registry().windows.front().get());
  Registry().backend = std::move(backend);
}

UiFrontEnd* CurrentWindowBackend() { return Registry().backend.get(); }

UiFrontEnd* CurrentFrontEnd() { return Registry().backend.get(); }

void SetDefaultCanvasMaker(CanvasMaker maker) { Registry().default_canvas_maker = maker; }

CanvasMaker DefaultCanvasMaker() { return Registry().default_canvas_maker; }

ATOM RegisterClassW(const WNDCLASSW* window_class) {
  if (window_class == nullptr || window_class->lpfnWndProc == nullptr ||
      window_class->lpszClassName == nullptr || IsAtom(window_class->lpszClassName) ||
      window_class->lpszClassName[0] == u'\0' || FindClass(window_class->lpszClassName)) {
    return 0;
  }
  WindowRegistry& registry = Registry();
  if (registry.next_atom == 0xFFFF) return 0;
  WindowClassRecord record;
  record.name = window_class->lpszClassName;
  record.atom = registry.next_atom++;
  record.definition = *window_class;
  record.definition.lpszClassName = nullptr;  // the caller's buffer may not outlive the call
  record.definition.lpszMenuName = nullptr;
  registry.classes.push_back(std::move(record));
  return registry.classes.back().atom;
}

HWND CreateWindowExW(DWORD, const char16_t* class_name, const char16_t* title, DWORD style, int,
                     int, int width, int height, HWND, HMENU, HINSTANCE, void*) {
  const WindowClassRecord* window_class = FindClass(class_name);
  if (window_class == nullptr) return nullptr;
  auto object = std::make_unique<WindowObject>();
  object->class_name = window_class->name;
  object->procedure = window_class->definition.lpfnWndProc;
  object->shown = std::make_unique<ProgramWindow>(WindowFrontEnd(), title != nullptr ? title : u"",
                                                  IconResourceOf(window_class->definition.hIcon));
  if (width != CW_USEDEFAULT && height != CW_USEDEFAULT) {
    object->shown->Resize(std::max(width, 0), std::max(height, 0));
  }
  if (!object->shown->open()) return nullptr;
  const int client_width = object->shown->canvas()->Width();
  const int client_height = object->shown->canvas()->Height();
  HWND window = AdoptWindow(std::move(object));

  // The client size is already the window's (GetClientRect); WM_SIZE follows.
  if (SendMessageW(window, WM_CREATE, 0, 0) == -1) {
    DestroyWindow(window);
    return nullptr;
  }
  if (!IsLiveWindow(window)) return nullptr;  // the procedure destroyed it while creating
  SendMessageW(window, WM_SIZE, 0,
               MAKELPARAM(static_cast<WORD>(client_width), static_cast<WORD>(client_height)));
  if ((style & WS_VISIBLE) != 0 && IsLiveWindow(window)) ShowWindow(window, SW_SHOW);
  return IsLiveWindow(window) ? window : nullptr;
}

BOOL ShowWindow(HWND window, int show_command) {
  if (!IsLiveWindow(window)) return FALSE;
  const BOOL was_visible = window->visible ? TRUE : FALSE;
  if (show_command == SW_HIDE) {
    window->visible = false;
    return was_visible;
  }
  window->visible = true;
  window->shown_order = ++Registry().show_clock;
  window->shown->Show();
  return was_visible;
}

BOOL DestroyWindow(HWND window) {
  if (!IsLiveWindow(window) || window->destroying) return FALSE;
  window->destroying = true;
  SendMessageW(window, WM_DESTROY, 0, 0);
  window->shown->Close();
  auto& windows = Registry().windows;
  windows.erase(std::find_if(windows.begin(), windows.end(),
                             [window](const auto& live) { return live.get() == window; }));
  return TRUE;
}

BOOL GetClientRect(HWND window, Rect* rect) {
  if (!IsLiveWindow(window) || rect == nullptr || !window->shown->open()) return FALSE;
  *rect = Rect{0, 0, window->shown->canvas()->Width(), window->shown->canvas()->Height()};
  return TRUE;
}

HWND InputWindow() {
  HWND best = nullptr;
  for (const auto& window : Registry().windows) {
    if (!window->visible || window->destroying) continue;
    if (best == nullptr || window->shown_order > best->shown_order) best = window.get();
  }
  return best;
}

const Canvas* ClientCanvas(HWND window) {
  return IsLiveWindow(window) ? window->shown->canvas() : nullptr;
}

BOOL ResizeClientArea(HWND window, int width, int height) {
  if (!IsLiveWindow(window) || width < 0 || height < 0) return FALSE;
  if (!window->shown->Resize(width, height)) return FALSE;
  SendMessageW(window, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
  return TRUE;
}

std::u16string WindowTitle(HWND window) {
  return IsLiveWindow(window) ? window->shown->title() : std::u16string();
}

const IconResource* WindowIcon(HWND window) {
  return IsLiveWindow(window) ? window->shown->icon() : nullptr;
}

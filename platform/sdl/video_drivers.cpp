#include "platform/sdl/video_drivers.h"

#include <dlfcn.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdint>

namespace {

bool Contains(const std::vector<std::string>& list, std::string_view item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The few entry points of libwayland-client the probe needs. Loaded at run time, like SDL
// loads them, so that the terminal and the command line never map the library.
struct WaylandClient {
  decltype(&wl_display_connect) connect;
  decltype(&wl_display_disconnect) disconnect;
  decltype(&wl_display_roundtrip) roundtrip;
  decltype(&wl_proxy_marshal_constructor) marshal_constructor;
  decltype(&wl_proxy_add_listener) add_listener;
  decltype(&wl_proxy_destroy) destroy;
  const wl_interface* registry_interface;
};

template <typename Function>
bool Load(void* library, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(dlsym(library, name));
  return *function != nullptr;
}

bool LoadWaylandClient(WaylandClient* client) {
  // Kept loaded: SDL loads the same library next, and unloading it would gain nothing.
  void* library = dlopen("libwayland-client.so.0", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) return false;
  client->registry_interface =
      static_cast<const wl_interface*>(dlsym(library, "wl_registry_interface"));
  return client->registry_interface != nullptr &&
         Load(library, "wl_display_connect", &client->connect) &&
         Load(library, "wl_display_disconnect", &client->disconnect) &&
         Load(library, "wl_display_roundtrip", &client->roundtrip) &&
         Load(library, "wl_proxy_marshal_constructor", &client->marshal_constructor) &&
         Load(library, "wl_proxy_add_listener", &client->add_listener) &&
         Load(library, "wl_proxy_destroy", &client->destroy);
}

void OnGlobal(void* data, wl_registry*, std::uint32_t, const char* interface, std::uint32_t) {
  static_cast<std::vector<std::string>*>(data)->emplace_back(interface);
}

void OnGlobalRemoved(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemoved};

}  // namespace

std::vector<std::string> VideoDriverOrder(const VideoEnvironment& environment) {
  std::vector<std::string> order;
  std::string_view rest = environment.asked;
  while (!rest.empty()) {
    const auto comma = rest.find(',');
    const std::string_view name = Trimmed(rest.substr(0, comma));
    if (!name.empty() && !Contains(order, name)) order.emplace_back(name);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
  }
  if (order.empty()) {
    if (environment.wayland_named) order.emplace_back("wayland");
    if (environment.x11_named) order.emplace_back("x11");
  } else if (environment.x11_named && Contains(order, "wayland") && !Contains(order, "x11")) {
    order.emplace_back("x11");
  }
  return order;
}

std::string WaylandShortcoming(const std::vector<std::string>& globals) {
  // In the order SDL would stumble on them: the seat is read first, at start-up.
  if (!Contains(globals, "wl_seat")) return "offers no seat (no keyboard or mouse)";
  if (!Contains(globals, "wl_compositor")) return "offers no compositor interface";
  if (!Contains(globals, "wl_shm")) return "offers no shared memory";
  if (!Contains(globals, "xdg_wm_base")) return "offers no xdg-shell for windows";
  if (!Contains(globals, "wl_output")) return "has no output to show a window on";
  return "";
}

bool ListWaylandGlobals(std::vector<std::string>* globals, std::string* error) {
  WaylandClient client{};
  if (!LoadWaylandClient(&client)) {
    *error = "libwayland-client cannot be loaded";
    return false;
  }
  wl_display* display = client.connect(nullptr);
  if (display == nullptr) {
    *error = "cannot be reached";
    return false;
  }
  auto* registry = reinterpret_cast<wl_proxy*>(
      client.marshal_constructor(reinterpret_cast<wl_proxy*>(display), WL_DISPLAY_GET_REGISTRY,
                                 client.registry_interface, nullptr));
  bool listed = false;
  if (registry != nullptr) {
    globals->clear();
    client.add_listener(
        registry,
        reinterpret_cast<void (**)(void)>(const_cast<wl_registry_listener*>(&kRegistryListener)),
        globals);
    listed = client.roundtrip(display) >= 0;
    client.destroy(registry);
  }
  client.disconnect(display);
  if (!listed) *error = "did not answer";
  return listed;
}

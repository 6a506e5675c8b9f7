// Desktop notifications over sd-bus. sd-bus rather than libnotify: libsystemd is already on
// every systemd system and brings no GLib, GObject or gdk-pixbuf; its calls are synchronous
// with a time limit each, and its event loop is a poll on one descriptor, which is all a
// reminder that waits for one signal needs.
//
// The signal matches are in place before Notify is sent, so an action chosen or a close
// that comes at once is not missed; signals are taken only from the service that answered
// Notify (its unique name) and only for the notification it returned, so no other client on
// the bus can choose an action for the user.
#include <systemd/sd-bus.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/notify/notify.h"

namespace {

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
// The first call may start the service (D-Bus activation); later ones answer at once.
constexpr std::uint64_t kFirstCallMicroseconds = 10'000'000;
constexpr std::uint64_t kCallMicroseconds = 5'000'000;
constexpr std::uint8_t kNormalUrgency = 1;

struct BusClose {
  void operator()(sd_bus* bus) const { sd_bus_flush_close_unref(bus); }
};
using Bus = std::unique_ptr<sd_bus, BusClose>;
struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using Message = std::unique_ptr<sd_bus_message, MessageUnref>;

// An sd_bus_error freed with its owner.
struct BusError {
  sd_bus_error error{nullptr, nullptr, 0};  // SD_BUS_ERROR_NULL, a C compound literal
  ~BusError() { sd_bus_error_free(&error); }
  std::string Text(int code) const {
    if (sd_bus_error_is_set(&error)) return std::string(error.name) + ": " + error.message;
    return std::strerror(-code);
  }
};

// What the signal handlers learn while the notification is up.
struct Waiting {
  std::string server;  // the unique name that answered Notify
  std::uint32_t id = 0;
  bool ended = false;
  std::string action;
};

NotificationResult Unavailable(const std::string& reason) {
  NotificationResult result;
  result.reason = reason;
  return result;
}

std::uint64_t MonotonicMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000 +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000;
}

Message NewCall(sd_bus* bus, const char* method) {
  sd_bus_message* message = nullptr;
  sd_bus_message_new_method_call(bus, &message, kService, kPath, kInterface, method);
  return Message(message);
}

// The service's capabilities ("actions", "body-markup", ...); false when nobody answers.
bool ReadCapabilities(sd_bus* bus, std::vector<std::string>* capabilities, std::string* reason) {
  Message call = NewCall(bus, "GetCapabilities");
  BusError error;
  sd_bus_message* reply = nullptr;
  const int called =
      call ? sd_bus_call(bus, call.get(), kFirstCallMicroseconds, &error.error, &reply) : -ENOMEM;
  Message answer(reply);
  char** names = nullptr;
  const int read = called < 0 ? called : sd_bus_message_read_strv(answer.get(), &names);
  if (read < 0) {
    *reason = "no notification service on the session bus (" + error.Text(read) + ")";
    return false;
  }
  for (char** name = names; name != nullptr && *name != nullptr; ++name) {
    capabilities->push_back(*name);
    std::free(*name);
  }
  std::free(names);
  return true;
}

bool Has(const std::vector<std::string>& capabilities, const char* name) {
  for (const std::string& capability : capabilities) {
    if (capability == name) return true;
  }
  return false;
}

// Servers with body markup read the body as a subset of HTML.
std::string Escaped(const std::string& text) {
  std::string escaped;
  for (const char c : text) {
    if (c == '&') {
      escaped += "&amp;";
    } else if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

int AppendStringHint(sd_bus_message* message, const char* key, const std::string& value) {
  int r = sd_bus_message_open_container(message, 'e', "sv");
  if (r >= 0) r = sd_bus_message_append(message, "s", key);
  if (r >= 0) r = sd_bus_message_append(message, "v", "s", value.c_str());
  if (r >= 0) r = sd_bus_message_close_container(message);
  return r;
}

// Notify's arguments: app_name, replaces_id, app_icon, summary, body, actions, hints, timeout.
int AppendNotify(sd_bus_message* message, const DesktopNotification& shown, bool with_actions,
                 const std::string& body) {
  int r = sd_bus_message_append(message, "susss", shown.app_name.c_str(), 0u, shown.app_id.c_str(),
                                shown.summary.c_str(), body.c_str());
  if (r >= 0) r = sd_bus_message_open_container(message, 'a', "s");
  for (const NotificationAction& action : shown.actions) {
    if (r >= 0 && with_actions) {
      r = sd_bus_message_append(message, "ss", action.key.c_str(), action.label.c_str());
    }
  }
  if (r >= 0) r = sd_bus_message_close_container(message);
  if (r >= 0) r = sd_bus_message_open_container(message, 'a', "{sv}");
  if (r >= 0) r = AppendStringHint(message, "desktop-entry", shown.app_id);
  if (r >= 0) r = sd_bus_message_open_container(message, 'e', "sv");
  if (r >= 0) r = sd_bus_message_append(message, "s", "urgency");
  if (r >= 0) r = sd_bus_message_append(message, "v", "y", kNormalUrgency);
  if (r >= 0) r = sd_bus_message_close_container(message);
  if (r >= 0) r = sd_bus_message_close_container(message);
  if (r >= 0) r = sd_bus_message_append(message, "i", -1);  // the server's own expiry
  return r;
}

// True when the signal is about our notification, from the service that shows it.
bool Ours(sd_bus_message* signal, const Waiting& waiting, std::uint32_t id) {
  const char* sender = sd_bus_message_get_sender(signal);
  return waiting.id != 0 && id == waiting.id && sender != nullptr && waiting.server == sender;
}

int OnActionInvoked(sd_bus_message* signal, void* data, sd_bus_error*) {
  auto* waiting = static_cast<Waiting*>(data);
  std::uint32_t id = 0;
  const char* key = nullptr;
  if (sd_bus_message_read(signal, "us", &id, &key) < 0 || !Ours(signal, *waiting, id)) return 0;
  waiting->action = key;
  waiting->ended = true;
  return 0;
}

int OnClosed(sd_bus_message* signal, void* data, sd_bus_error*) {
  auto* waiting = static_cast<Waiting*>(data);
  std::uint32_t id = 0;
  std::uint32_t why = 0;
  if (sd_bus_message_read(signal, "uu", &id, &why) < 0 || !Ours(signal, *waiting, id)) return 0;
  waiting->ended = true;
  return 0;
}

bool MatchSignals(sd_bus* bus, Waiting* waiting) {
  return sd_bus_match_signal(bus, nullptr, nullptr, kPath, kInterface, "ActionInvoked",
                             OnActionInvoked, waiting) >= 0 &&
         sd_bus_match_signal(bus, nullptr, nullptr, kPath, kInterface, "NotificationClosed",
                             OnClosed, waiting) >= 0;
}

// Sends Notify; on success `waiting` knows the notification's id and who shows it.
bool SendNotify(sd_bus* bus, const DesktopNotification& shown, bool with_actions,
                const std::string& body, Waiting* waiting, std::string* reason) {
  Message call = NewCall(bus, "Notify");
  BusError error;
  int r = call ? AppendNotify(call.get(), shown, with_actions, body) : -ENOMEM;
  sd_bus_message* reply = nullptr;
  if (r >= 0) r = sd_bus_call(bus, call.get(), kCallMicroseconds, &error.error, &reply);
  Message answer(reply);
  if (r >= 0) r = sd_bus_message_read(answer.get(), "u", &waiting->id);
  if (r < 0) {
    *reason = "the notification service did not take the notification (" + error.Text(r) + ")";
    return false;
  }
  const char* sender = sd_bus_message_get_sender(answer.get());
  waiting->server = sender != nullptr ? sender : "";
  return true;
}

// Runs the bus until the notification has ended or the time is up.
void AwaitEnd(sd_bus* bus, Waiting* waiting, int seconds) {
  const std::uint64_t deadline =
      MonotonicMicroseconds() + static_cast<std::uint64_t>(seconds) * 1'000'000;
  while (!waiting->ended) {
    const int processed = sd_bus_process(bus, nullptr);
    if (processed < 0) return;  // the connection is gone: nothing more will come
    if (processed > 0) continue;
    const std::uint64_t now = MonotonicMicroseconds();
    if (now >= deadline) return;
    const int woke = sd_bus_wait(bus, deadline - now);
    if (woke < 0 && woke != -EINTR) return;
  }
}

}  // namespace

NotificationResult ShowDesktopNotification(const DesktopNotification& shown) {
  sd_bus* opened = nullptr;
  const int r = sd_bus_open_user(&opened);
  if (r < 0) return Unavailable(std::string("no session bus (") + std::strerror(-r) + ")");
  Bus bus(opened);
  std::vector<std::string> capabilities;
  std::string reason;
  if (!ReadCapabilities(bus.get(), &capabilities, &reason)) return Unavailable(reason);
  const bool with_actions = !shown.actions.empty() && Has(capabilities, "actions");
  const std::string body = Has(capabilities, "body-markup") ? Escaped(shown.body) : shown.body;
  Waiting waiting;
  if (with_actions && !MatchSignals(bus.get(), &waiting)) {
    return Unavailable("cannot watch the session bus for the notification's actions");
  }
  if (!SendNotify(bus.get(), shown, with_actions, body, &waiting, &reason)) {
    return Unavailable(reason);
  }
  NotificationResult result;
  result.outcome = NotificationOutcome::kShown;
  if (!with_actions) return result;
  AwaitEnd(bus.get(), &waiting, shown.wait_seconds);
  if (!waiting.action.empty()) {
    result.outcome = NotificationOutcome::kAction;
    result.action = waiting.action;
  }
  return result;
}

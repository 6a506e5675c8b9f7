// Desktop notifications: one notification shown by the desktop's notification service
// (org.freedesktop.Notifications on the session bus), with actions where the service offers
// them, and the action the user chose. It lives in the notification module,
// cyclune-notify.so (sd-bus from libsystemd), which only a reminder with something to say
// opens: nothing else connects to a bus.
//
// Example:
//   DesktopNotification shown{"Cyclune", "io.github.cyclune.Cyclune",
//                             "Period expected in 2 days (Thursday, 10 December)", ""};
//   shown.actions = {{"open", "Open Cyclune"}};
//   shown.wait_seconds = 600;
//   const NotificationResult result = ShowDesktopNotification(shown);
//   if (result.outcome == NotificationOutcome::kUnavailable) print the summary instead
//   else if (result.outcome == NotificationOutcome::kAction && result.action == "open") ...
#pragma once

#include <string>
#include <vector>

struct NotificationAction {
  std::string key;    // what the service reports back when it is chosen
  std::string label;  // what the user reads on its button
};

struct DesktopNotification {
  std::string app_name;  // the program's name, as the service shows it
  std::string app_id;    // the desktop entry (without .desktop) and the icon's name
  std::string summary;   // one line
  std::string body;      // further lines, plain text; may be empty
  std::vector<NotificationAction> actions;  // offered only where the service has actions
  int wait_seconds = 0;  // how long to wait for a choice once actions are offered
};

enum class NotificationOutcome {
  kUnavailable,  // no session bus, or no notification service on it: nothing was shown
  kShown,        // shown, and no action was chosen (none offered, closed, or the wait ran out)
  kAction,       // shown, and the user chose `action`
};

struct NotificationResult {
  NotificationOutcome outcome = NotificationOutcome::kUnavailable;
  std::string action;  // the key of the chosen action
  std::string reason;  // for kUnavailable: one line saying why ("no session bus: ...")
};

// Shows the notification and, when actions were offered, waits until one is chosen, the
// notification is closed or wait_seconds have passed. Every call on the bus has a time limit.
NotificationResult ShowDesktopNotification(const DesktopNotification& notification);

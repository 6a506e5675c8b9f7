// Desktop notifications as the program sees them: the first call opens the notification
// module (platform/modules/notify_module.h) and runs the module's own. A module that cannot be
// opened is reported as a notification service that is not there, so the reminder is printed.
#include <string>

#include "platform/modules/notify_module.h"

NotificationResult ShowDesktopNotification(const DesktopNotification& notification) {
  std::string error;
  const NotifyModule* module = OpenModuleOnce<NotifyModule>(kNotifyModule, &error);
  if (module == nullptr) {
    NotificationResult result;
    result.reason = "the notification module cannot be loaded: " + error;
    return result;
  }
  return module->Call<&ShowDesktopNotification>(notification);
}

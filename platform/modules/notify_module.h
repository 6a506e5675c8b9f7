// The notification module, cyclune-notify.so: desktop notifications over sd-bus
// (platform/notify.h). The program opens it (platform/module_loader.h) only when a reminder
// has something to say, so no other mode loads libsystemd or connects to a bus. It keeps no
// state of the program's and exports only its entry. Platform-internal:
// platform/notify_loader.cpp opens the module, platform/notify_module.cpp is its entry.
#pragma once

#include "platform/module_loader.h"
#include "platform/notify.h"

constexpr ModuleName kNotifyModule{"cyclune-notify.so", "CycluneNotifyModule", 1};

struct NotifyModule {
  ModuleStamp stamp;
  decltype(&ShowDesktopNotification) show_desktop_notification = nullptr;
};

// The notification module, cyclune-notify.so: desktop notifications over sd-bus
// (platform/notify/notify.h). The program opens it (platform/modules/module_loader.h) only when a
// reminder has something to say, so no other mode loads libsystemd or connects to a bus. It keeps
// no state of the program's and exports only its entry. Platform-internal:
// platform/modules/notify_loader.cpp opens the module, platform/modules/notify_module.cpp is its
// entry.
#pragma once

#include "platform/modules/module_loader.h"
#include "platform/notify/notify.h"

constexpr ModuleName kNotifyModule{"cyclune-notify.so", "CycluneNotifyModule", 1};

using NotifyModule = ModuleTable<&ShowDesktopNotification>;

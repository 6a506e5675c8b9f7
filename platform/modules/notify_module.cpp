// The notification module's entry: the only symbol cyclune-notify.so exports (its members are
// built with hidden visibility), so the function below is the module's own and not the
// program's function of the same name, which opens the module.
#include "platform/modules/notify_module.h"

extern "C" __attribute__((visibility("default"))) const ModuleStamp* CycluneNotifyModule() {
  return OwnModuleTable<NotifyModule>(kNotifyModule);
}

// The history module's entry: the only symbol cyclune-history.so exports.
#include "history/history_module.h"

extern "C" __attribute__((visibility("default"))) const ModuleStamp* CycluneHistoryModule() {
  return OwnModuleTable<HistoryModule>(kHistoryModule);
}

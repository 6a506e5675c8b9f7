// The history module's entry: the only symbol cyclune-history.so exports.
#include "history/history_module.h"

extern "C" __attribute__((visibility("default"))) const ModuleStamp* CycluneHistoryModule() {
  static const HistoryModule module{{kHistoryModule.interface, CYCLUNE_VERSION},
                                    OpenHistoryFile,
                                    ReadHistoryOperations,
                                    CommitHistoryChange,
                                    CloseHistoryFile};
  return &module.stamp;
}

// The file-format module's entry: the only symbol cyclune-formats.so exports (its members are
// built with hidden visibility, so these are the module's own functions).
#include "interop/formats_module.h"

extern "C" __attribute__((visibility("default"))) const ModuleStamp* CycluneFormatsModule() {
  return OwnModuleTable<FormatsModule>(kFormatsModule);
}

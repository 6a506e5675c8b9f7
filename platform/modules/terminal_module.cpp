// The terminal module's entry: the only symbol cyclune-terminal.so exports (its members are
// built with hidden visibility), so the functions below are the module's own and not the
// program's functions of the same names, which open the module.
#include "platform/modules/terminal_module.h"

extern "C" __attribute__((visibility("default"))) const ModuleStamp* CycluneTerminalModule() {
  return OwnModuleTable<TerminalModule>(kTerminalModule);
}

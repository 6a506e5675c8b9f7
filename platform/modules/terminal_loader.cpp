// The terminal front end as the program sees it: StartTerminal opens the terminal module
// (platform/modules/terminal_module.h) the first time it is called and runs the module's own; the
// other two hand over to the module once it is open.
#include <string>

#include "platform/modules/terminal_module.h"

UiFrontEnd* StartTerminal(const TerminalOptions& options, std::string* error) {
  const TerminalModule* module = OpenModuleOnce<TerminalModule>(kTerminalModule, error);
  return module != nullptr ? module->Call<&StartTerminal>(options, error) : nullptr;
}

bool TerminalNeedsDayMarks() {
  const TerminalModule* module = ModuleIfOpened<TerminalModule>();
  return module != nullptr && module->Call<&TerminalNeedsDayMarks>();
}

int FinishTerminal(int run_result) {
  const TerminalModule* module = ModuleIfOpened<TerminalModule>();
  return module != nullptr ? module->Call<&FinishTerminal>(run_result) : run_result;
}

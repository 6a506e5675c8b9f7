// The terminal front end as the program sees it: StartTerminal opens the terminal module
// (platform/modules/terminal_module.h) the first time it is called and runs the module's own; the
// other two hand over to the module once it is open.
#include <string>

#include "platform/modules/terminal_module.h"

namespace {

const TerminalModule* g_module = nullptr;

}  // namespace

bool StartTerminal(const TerminalOptions& options, std::string* error) {
  if (g_module == nullptr)
    g_module = OpenModuleTable<TerminalModule>(kTerminalModule, false, error);
  if (g_module == nullptr) return false;
  return g_module->start_terminal(options, error);
}

bool TerminalNeedsDayMarks() { return g_module != nullptr && g_module->terminal_needs_day_marks(); }

int FinishTerminal(int winmain_result) {
  return g_module != nullptr ? g_module->finish_terminal(winmain_result) : winmain_result;
}

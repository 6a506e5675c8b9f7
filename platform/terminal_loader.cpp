// The terminal front end as the program sees it: StartTerminal opens the terminal module
// (platform/terminal_module.h) the first time it is called and runs the module's own; the
// other two hand over to the module once it is open.
#include <string>

#include "platform/terminal_module.h"

namespace {

const TerminalModule* g_module = nullptr;

}  // namespace

bool StartTerminal(std::string* error) {
  if (g_module == nullptr) {
    const ModuleStamp* stamp = OpenModule(kTerminalModuleFile, kTerminalModuleEntry,
                                          kTerminalModuleInterface, false, error);
    if (stamp == nullptr) return false;
    // The stamp is the table's first member.
    g_module = reinterpret_cast<const TerminalModule*>(stamp);
  }
  return g_module->start_terminal(error);
}

bool TerminalShowsColour() { return g_module != nullptr && g_module->terminal_shows_colour(); }

int FinishTerminal(int winmain_result) {
  return g_module != nullptr ? g_module->finish_terminal(winmain_result) : winmain_result;
}

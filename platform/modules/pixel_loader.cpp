// The pixel front ends as the program sees them: StartDesktopWindow and StartHeadless open
// the window module (platform/modules/pixel_module.h) the first time one of them is called and run
// the module's own; the Finish functions hand over to the module that started.
//
// A module rather than a second executable that this one would run: a window that cannot be
// opened falls back to the terminal in the same process; the process keeps one identity (its
// pid, its instance lock, its terminal); and the window and headless starts pay only for the
// libraries they load, with no second program start on top.
#include <string>

#include "platform/modules/pixel_module.h"

namespace {

const PixelModule* g_module = nullptr;

const PixelModule* OpenPixelModule(std::string* error) {
  if (g_module == nullptr) g_module = OpenModuleTable<PixelModule>(kPixelModule, false, error);
  return g_module;
}

}  // namespace

bool StartDesktopWindow(std::string* error) {
  const PixelModule* module = OpenPixelModule(error);
  if (module == nullptr) {
    *error = "cannot open a window: " + *error;
    return false;
  }
  return module->start_desktop_window(error);
}

int FinishDesktopWindow(int winmain_result) {
  return g_module != nullptr ? g_module->finish_desktop_window(winmain_result) : winmain_result;
}

bool StartHeadless(const HeadlessOptions& options, std::string* error, int* exit_status) {
  const PixelModule* module = OpenPixelModule(error);
  if (module != nullptr) return module->start_headless(options, error, exit_status);
  if (exit_status != nullptr) *exit_status = 1;  // an installation fault, not a usage error
  return false;
}

int FinishHeadless(int winmain_result) {
  return g_module != nullptr ? g_module->finish_headless(winmain_result) : winmain_result;
}

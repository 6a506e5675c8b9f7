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

UiFrontEnd* StartDesktopWindow(std::string* error) {
  const PixelModule* module = OpenModuleOnce<PixelModule>(kPixelModule, error);
  if (module == nullptr) {
    *error = "cannot open a window: " + *error;
    return nullptr;
  }
  return module->Call<&StartDesktopWindow>(error);
}

int FinishDesktopWindow(int run_result) {
  const PixelModule* module = ModuleIfOpened<PixelModule>();
  return module != nullptr ? module->Call<&FinishDesktopWindow>(run_result) : run_result;
}

UiFrontEnd* StartHeadless(const HeadlessOptions& options, std::string* error, int* exit_status) {
  const PixelModule* module = OpenModuleOnce<PixelModule>(kPixelModule, error);
  if (module != nullptr) return module->Call<&StartHeadless>(options, error, exit_status);
  if (exit_status != nullptr) *exit_status = 1;  // an installation fault, not a usage error
  return nullptr;
}

int FinishHeadless(int run_result) {
  const PixelModule* module = ModuleIfOpened<PixelModule>();
  return module != nullptr ? module->Call<&FinishHeadless>(run_result) : run_result;
}

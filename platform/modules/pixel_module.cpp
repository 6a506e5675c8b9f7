// The window module's entry: the only symbol cyclune-pixels.so exports. Everything else in
// the module is built with hidden visibility, so the functions below are the module's own
// and not the program's functions of the same names, which open the module.
#include "platform/modules/pixel_module.h"

extern "C" __attribute__((visibility("default"))) const ModuleStamp* CyclunePixelModule() {
  return OwnModuleTable<PixelModule>(kPixelModule);
}

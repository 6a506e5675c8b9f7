// A module for the module loader's tests, built beside the platform tests: one entry with
// this build's stamp and one with the stamp of another build.
#include "platform/modules/module_loader.h"

extern "C" __attribute__((visibility("default"))) const ModuleStamp* ThisBuild() {
  static const ModuleStamp stamp{1, CYCLUNE_VERSION};
  return &stamp;
}

extern "C" __attribute__((visibility("default"))) const ModuleStamp* OtherBuild() {
  static const ModuleStamp stamp{1, "0.0.0-another-build"};
  return &stamp;
}

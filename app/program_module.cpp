// The program module's entry, which the executable looks up by name.
#include "app/program.h"

extern "C" const ModuleStamp* CycluneProgramModule() {
  static const ProgramModule module{{kProgramModule.interface, CYCLUNE_VERSION}, RunProgram};
  return &module.stamp;
}

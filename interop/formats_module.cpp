// The file-format module's entry: the only symbol cyclune-formats.so exports (its members are
// built with hidden visibility, so these are the module's own functions).
#include "interop/formats_module.h"

extern "C" __attribute__((visibility("default"))) const ModuleStamp* CycluneFormatsModule() {
  static const FormatsModule module{{kFormatsModule.interface, CYCLUNE_VERSION},
                                    WriteIcsCalendar,
                                    ParseTrackerFile,
                                    ImportFormatName,
                                    ImportFormatsTried,
                                    FormatImportDay};
  return &module.stamp;
}

// The file formats as the program sees them: each function opens the file-format module
// (interop/formats_module.h) at its first call and runs the module's own. A module that
// cannot be opened is a broken installation: the reason goes to standard error once, and the
// functions answer as for a file or calendar they cannot handle, so the command fails.
#include "interop/formats_loader.h"

#include <cstdio>
#include <string>

#include "interop/formats_module.h"

namespace {

const FormatsModule* Formats() {
  static const FormatsModule* module = [] {
    std::string error;
    const auto* table = OpenModuleOnce<FormatsModule>(kFormatsModule, &error);
    if (table == nullptr) std::fprintf(stderr, "cyclune: %s\n", error.c_str());
    return table;
  }();
  return module;
}

}  // namespace

bool FileFormatsAvailable() { return Formats() != nullptr; }

bool WriteIcsCalendar(const std::vector<PredictedEvent>& events, const LocalDateTime& stamp,
                      const IcsAlarm& alarm, std::string* text) {
  return Formats() != nullptr && Formats()->Call<&WriteIcsCalendar>(events, stamp, alarm, text);
}

ImportParse ParseTrackerFile(std::string_view bytes) {
  if (Formats() != nullptr) return Formats()->Call<&ParseTrackerFile>(bytes);
  ImportParse refused;
  refused.problem = ImportProblem::kBroken;
  refused.error = "the readers of other trackers' files cannot be loaded";
  return refused;
}

const char* ImportFormatName(ImportFormat format) {
  return Formats() != nullptr ? Formats()->Call<&ImportFormatName>(format) : "unknown format";
}

const char* ImportFormatsTried() {
  return Formats() != nullptr ? Formats()->Call<&ImportFormatsTried>() : "none";
}

std::string FormatImportDay(const ImportDay& day) {
  return Formats() != nullptr ? Formats()->Call<&FormatImportDay>(day) : std::string();
}

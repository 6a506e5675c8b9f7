// The history's file as the program sees it: each function opens the history module
// (history/history_module.h) at its first call and runs the module's own. A module that
// cannot be opened is a broken installation: the history then cannot be opened, and the
// program works on the settings file alone, as for any history it cannot use.
#include <string>

#include "history/history_module.h"

namespace {

const HistoryModule* Module(std::string* error) {
  return OpenModuleOnce<HistoryModule>(kHistoryModule, error);
}

}  // namespace

HistoryOpen OpenHistoryFile(const std::string& path, bool create, HistoryFile** file,
                            std::string* problem) {
  *file = nullptr;
  const HistoryModule* module = Module(problem);
  if (module == nullptr) return HistoryOpen::kFailed;
  return module->Call<&OpenHistoryFile>(path, create, file, problem);
}

bool ReadHistoryOperations(HistoryFile* file, std::vector<HistoryOperation>* operations,
                           std::string* problem) {
  return Module(problem)->Call<&ReadHistoryOperations>(file, operations, problem);
}

bool CommitHistoryChange(HistoryFile* file, const HistoryChange& change, std::string* problem) {
  return Module(problem)->Call<&CommitHistoryChange>(file, change, problem);
}

void CloseHistoryFile(HistoryFile* file) {
  if (file != nullptr) Module(nullptr)->Call<&CloseHistoryFile>(file);
}

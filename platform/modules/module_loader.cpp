// Modules are opened with lazy binding, which keeps the start of the libraries they pull in
// as cheap as when those are linked to the executable; the modules themselves are linked with
// -z now, so a function missing from what they run on fails the dlopen, not a call in the
// middle of a run. They are never closed: SDL, fontconfig and ICU keep state until the
// process ends.
#include "platform/modules/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>
#include <string_view>

#ifndef CYCLUNE_MODULE_DIR
#error "CYCLUNE_MODULE_DIR names the modules' folder relative to the executable's"
#endif

namespace {

// The folder of the running executable, with its final '/'; "" when it cannot be read.
std::string ExecutableFolder() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<std::size_t>(length) >= path.size()) return "";
  path.resize(static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

// Loads the module at `path` and sets *stamp to what its `entry` returns (nullptr when it has
// no such entry). False, with *error set, when it cannot be loaded.
bool LoadModule(const std::string& path, const char* entry, bool share_symbols,
                const ModuleStamp** stamp, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_LAZY | (share_symbols ? RTLD_GLOBAL : RTLD_LOCAL));
  if (handle == nullptr) {
    const char* reason = dlerror();
    *error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
    return false;
  }
  using Entry = const ModuleStamp* (*)();
  const auto function = reinterpret_cast<Entry>(dlsym(handle, entry));
  *stamp = function != nullptr ? function() : nullptr;
  return true;
}

bool OfThisBuild(const ModuleStamp* stamp, int interface) {
  return stamp != nullptr && stamp->interface == interface && stamp->version != nullptr &&
         std::strcmp(stamp->version, CYCLUNE_VERSION) == 0;
}

// `relative` (a folder relative to `folder`, which ends in '/') as one path without ".."
// steps, with a final '/'. Plain string work: the folders are ours and hold no "." steps.
std::string JoinFolder(std::string folder, std::string_view relative) {
  while (relative.substr(0, 3) == "../" && folder.size() > 1) {
    folder.pop_back();
    folder.erase(folder.rfind('/') + 1);
    relative.remove_prefix(3);
  }
  folder += relative;
  if (folder.back() != '/') folder += '/';
  return folder;
}

// Where module `file` is: beside the executable, else in its installed folder.
bool FindModule(const char* file, std::string* path, std::string* error) {
  const std::string folder = ExecutableFolder();
  if (folder.empty()) {
    *error = std::string("cannot find ") + file + ": /proc/self/exe cannot be read";
    return false;
  }
  const std::string installed = JoinFolder(folder, CYCLUNE_MODULE_DIR) + file;
  for (const std::string& candidate : {folder + file, installed}) {
    if (access(candidate.c_str(), F_OK) != 0) continue;
    *path = candidate;
    return true;
  }
  *error = std::string(file) + " is missing: it is not in " + installed;
  return false;
}

}  // namespace

const ModuleStamp* OpenModule(const char* file, const char* entry, int interface,
                              bool share_symbols, std::string* error) {
  static std::map<std::string, std::pair<std::string, const ModuleStamp*>> opened;
  const std::string key = std::string(file) + '\n' + entry;
  auto found = opened.find(key);
  if (found == opened.end()) {
    std::string path;
    const ModuleStamp* stamp = nullptr;
    if (!FindModule(file, &path, error) || !LoadModule(path, entry, share_symbols, &stamp, error)) {
      return nullptr;
    }
    found = opened.emplace(key, std::make_pair(path, stamp)).first;
  }
  const auto& [path, stamp] = found->second;
  if (!OfThisBuild(stamp, interface)) {
    *error = path + " is not a module of this cyclune (" CYCLUNE_VERSION ")";
    return nullptr;
  }
  return stamp;
}

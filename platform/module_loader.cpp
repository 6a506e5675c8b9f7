// Modules are opened with lazy binding, which keeps the start of the libraries they pull in
// as cheap as when those are linked to the executable; the modules themselves are linked with
// -z now, so a function missing from what they run on fails the dlopen, not a call in the
// middle of a run. They are never closed: SDL, fontconfig and ICU keep state until the
// process ends.
#include "platform/module_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>

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

const ModuleStamp* LoadModule(const std::string& path, const char* entry, int interface,
                              bool share_symbols, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_LAZY | (share_symbols ? RTLD_GLOBAL : RTLD_LOCAL));
  if (handle == nullptr) {
    const char* reason = dlerror();
    *error = "cannot load " + path + ": " + (reason != nullptr ? reason : "unknown error");
    return nullptr;
  }
  using Entry = const ModuleStamp* (*)();
  const auto function = reinterpret_cast<Entry>(dlsym(handle, entry));
  const ModuleStamp* stamp = function != nullptr ? function() : nullptr;
  if (stamp == nullptr || stamp->interface != interface || stamp->version == nullptr ||
      std::strcmp(stamp->version, CYCLUNE_VERSION) != 0) {
    *error = path + " is not a module of this cyclune (" CYCLUNE_VERSION ")";
    return nullptr;
  }
  return stamp;
}

}  // namespace

const ModuleStamp* OpenModule(const char* file, const char* entry, int interface,
                              bool share_symbols, std::string* error) {
  static std::map<std::string, const ModuleStamp*> opened;
  if (const auto found = opened.find(file); found != opened.end()) return found->second;
  const std::string folder = ExecutableFolder();
  if (folder.empty()) {
    *error = std::string("cannot find ") + file + ": /proc/self/exe cannot be read";
    return nullptr;
  }
  const std::string installed =
      (std::filesystem::path(folder) / CYCLUNE_MODULE_DIR / file).lexically_normal().string();
  for (const std::string& path : {folder + file, installed}) {
    if (access(path.c_str(), F_OK) != 0) continue;
    const ModuleStamp* stamp = LoadModule(path, entry, interface, share_symbols, error);
    if (stamp != nullptr) opened.emplace(file, stamp);
    return stamp;
  }
  *error = std::string(file) + " is missing: it is not in " + installed;
  return nullptr;
}

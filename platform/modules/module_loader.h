// Cyclune's own modules: shared objects that the executable opens with dlopen when a mode
// needs what they hold, so that no mode loads the libraries of another. The program itself is
// one (cyclune-program.so: everything but --help and --version), the front ends that draw
// pixels another (cyclune-pixels.so, platform/modules/pixel_module.h), the terminal a third
// (cyclune-terminal.so, platform/modules/terminal_module.h).
//
// A module is looked for beside the executable (the build tree), then in the folder it is
// installed in, relative to the executable's own folder (CYCLUNE_MODULE_DIR, e.g.
// ../lib/x86_64-linux-gnu/cyclune). The executable is found through /proc/self/exe; never
// through the current directory or the environment, which could name someone else's module.
// Each module exports one function that returns its table; the table starts with a stamp that
// must match the build of the executable, as a module of another build would not fit it.
#pragma once

#include <cstddef>
#include <string>
#include <type_traits>

struct ModuleStamp {
  int interface = 0;              // the table's layout, raised whenever the table changes
  const char* version = nullptr;  // CYCLUNE_VERSION of the module's build
};

// Opens module `file` once (later calls for the same entry return the same table), calls its
// entry function `entry` and checks the stamp it returns against `interface` and this build's
// version. With `share_symbols` the module's functions serve the modules opened after it
// (RTLD_GLOBAL).
// nullptr, with *error set to one line, when the module is missing, cannot be loaded or is
// not of this build. A module is never closed.
//
// Modules are opened through OpenModuleTable below; this is its untyped core.
const ModuleStamp* OpenModule(const char* file, const char* entry, int interface,
                              bool share_symbols, std::string* error);

// What names a module: its file, its entry function and the layout of the table it returns.
struct ModuleName {
  const char* file;
  const char* entry;
  int interface;  // raised whenever the module's table changes
};

// OpenModule for module `name`, whose entry returns a Table: a struct whose first member is
// the ModuleStamp `stamp`.
//
//   constexpr ModuleName kPixelModule{"cyclune-pixels.so", "CyclunePixelModule", 1};
//   const PixelModule* table = OpenModuleTable<PixelModule>(kPixelModule, false, &error);
template <typename Table>
const Table* OpenModuleTable(const ModuleName& name, bool share_symbols, std::string* error) {
  static_assert(std::is_standard_layout_v<Table> && offsetof(Table, stamp) == 0,
                "a module's table starts with its stamp");
  return reinterpret_cast<const Table*>(
      OpenModule(name.file, name.entry, name.interface, share_symbols, error));
}

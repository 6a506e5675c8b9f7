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
#include <utility>

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
// the ModuleStamp `stamp`. Used as it is by the program module; the others go through
// OpenModuleOnce below.
template <typename Table>
const Table* OpenModuleTable(const ModuleName& name, bool share_symbols, std::string* error) {
  static_assert(std::is_standard_layout_v<Table> && offsetof(Table, stamp) == 0,
                "a module's table starts with its stamp");
  return reinterpret_cast<const Table*>(
      OpenModule(name.file, name.entry, name.interface, share_symbols, error));
}

// A module's table: its stamp and one slot for each of `Functions`, in that order. The module
// and the program name the same functions: in the module they are its own (built with hidden
// visibility), in the program the loaders of the same names that open the module and call
// through the table, so one declaration serves both sides.
//
//   constexpr ModuleName kPixelModule{"cyclune-pixels.so", "CyclunePixelModule", 1};
//   using PixelModule = ModuleTable<&StartDesktopWindow, &StartHeadless>;
//   // the module's entry:  return OwnModuleTable<PixelModule>(kPixelModule);
//   // a loader:            OpenModuleOnce<PixelModule>(kPixelModule, &error)
//   //                           ->Call<&StartDesktopWindow>(&error);
template <auto... Functions>
struct ModuleTable {
  // Any function pointer converts to this one and back unchanged, which keeps the table a
  // plain array of one type, as a standard-layout table must be.
  using Slot = void (*)();

  ModuleStamp stamp;
  Slot slots[sizeof...(Functions)];

  // Calls the table's slot for `Function` (one of `Functions`) with `arguments`.
  template <auto Function, typename... Arguments>
  decltype(auto) Call(Arguments&&... arguments) const {
    constexpr std::size_t index = SlotOf<Function>();
    static_assert(index < sizeof...(Functions), "the function has no slot in this table");
    return reinterpret_cast<decltype(Function)>(slots[index])(
        std::forward<Arguments>(arguments)...);
  }

  // The table of this side's own `Functions`, stamped with `interface` and this build.
  static ModuleTable Own(int interface) {
    return {{interface, CYCLUNE_VERSION}, {reinterpret_cast<Slot>(Functions)...}};
  }

 private:
  template <auto A, auto B>
  static constexpr bool Same() {
    if constexpr (std::is_same_v<decltype(A), decltype(B)>) {
      return A == B;
    } else {
      return false;
    }
  }

  template <auto Function>
  static constexpr std::size_t SlotOf() {
    constexpr bool matches[] = {Same<Function, Functions>()...};
    std::size_t index = 0;
    while (index < sizeof...(Functions) && !matches[index]) ++index;
    return index;
  }
};

// The body of a module's entry: its own table, made once.
template <typename Table>
const ModuleStamp* OwnModuleTable(const ModuleName& name) {
  static const Table table = Table::Own(name.interface);
  return &table.stamp;
}

// What OpenModuleOnce made of the module of Table: tried or not, its table or the reason.
template <typename Table>
struct OpenedModule {
  static inline bool tried = false;
  static inline const Table* table = nullptr;
  static inline std::string failure;
};

// Opens module `name` at the first call and keeps what came of it: its table, or nullptr with
// *error (when not nullptr) set to the same one-line reason at every call.
template <typename Table>
const Table* OpenModuleOnce(const ModuleName& name, std::string* error) {
  using Opened = OpenedModule<Table>;
  if (!Opened::tried) {
    Opened::tried = true;
    Opened::table = OpenModuleTable<Table>(name, false, &Opened::failure);
  }
  if (Opened::table == nullptr && error != nullptr) *error = Opened::failure;
  return Opened::table;
}

// The table of Table's module when OpenModuleOnce has opened it, else nullptr: for the calls
// that only hand over to a module already started.
template <typename Table>
const Table* ModuleIfOpened() {
  return OpenedModule<Table>::table;
}

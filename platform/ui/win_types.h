// The platform's plain data types, as the system's code uses them: fixed-width integers under
// the platform's names.
// Nothing here depends on a backend; every layer may include it.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = int;
using ATOM = std::uint16_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr WORD LOWORD(std::uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) {
  return static_cast<LPARAM>(static_cast<DWORD>(lo) | (static_cast<DWORD>(hi) << 16));
}

// Handles. A window is an object of the window system; a module instance is the module's
// resource set (string table, soft-key bars, menus, icons), see platform/ui/resource.h.
struct WindowObject;
using HWND = WindowObject*;
struct ModuleResources;
using HINSTANCE = const ModuleResources*;

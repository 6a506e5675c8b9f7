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

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

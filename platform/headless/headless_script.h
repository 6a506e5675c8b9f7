// The headless runner's script: parsing and checking a whole script before it runs.
// Platform-internal.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct ScriptCommand {
  enum class Kind { kKey, kTap, kCommand, kResize, kShot };
  Kind kind = Kind::kKey;
  std::uint32_t first = 0;   // key code, x, command id, width
  std::uint32_t second = 0;  // y, height
  std::string name;          // shot file name, without ".png"
  int line = 0;
};

// Parses a whole script. On the first bad line returns false with *error set to
// "script line N: REASON" and leaves *commands unspecified.
bool ParseScript(std::string_view text, std::vector<ScriptCommand>* commands, std::string* error);

// What the JSON formats share: reading the text with bounds on nesting and memory, and reading the
// scalars that trackers write sometimes as strings and sometimes as numbers. Internal to
// interop/.
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "interop/import_parse.h"

using Json = nlohmann::json;

// Parses `text`; false with *error ("not valid JSON: line 3, column 7: ...") when it is not
// JSON, is nested deeper than a tracker's export ever is, or holds so many values that their
// tree would take more memory than a few times the largest file.
bool ParseJsonText(std::string_view text, Json* value, std::string* error);

// The text of a string, or the digits of an integer; false for anything else.
bool ScalarText(const Json& value, std::string* text);

// An integer, written as a number or as a string of digits; false for anything else.
bool ScalarInteger(const Json& value, std::int64_t* number);

// The member `key` of an object, or nullptr.
const Json* Member(const Json& object, const char* key);

// The four readers, each given the parsed document it was recognised by.
ImportParse ReadPeriodicalBackup(const Json& root);
ImportParse ReadMensinator(const Json& root);
ImportParse ReadMenstrudel(const Json& root);
ImportParse ReadClue(const Json& root);

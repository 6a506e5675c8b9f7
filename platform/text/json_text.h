// JSON text of UTF-16 strings, and the one line that describes a message box wherever boxes
// are logged: the headless runner's messages.jsonl and the message log of the end-to-end
// tests (platform/ui/test_hooks.h).
#pragma once

#include <string>
#include <string_view>

// A JSON string literal (quotes included) of UTF-16 text: UTF-8 for valid text, \u escapes
// for control characters and for unpaired surrogates.
std::string JsonString(std::u16string_view text);

// A message box as one JSON object, without a line feed:
//   MessageBoxJson(u"Help", u"Line\r\n")  ->  {"caption": "Help", "text": "Line\r\n"}
std::string MessageBoxJson(std::u16string_view caption, std::u16string_view text);

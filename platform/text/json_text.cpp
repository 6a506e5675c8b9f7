#include "platform/text/json_text.h"

#include <cstdio>

#include "platform/text/unicode.h"

std::string JsonString(std::u16string_view text) {
  std::string out = "\"";
  auto append_escape = [&out](unsigned unit) {
    char escape[8];
    std::snprintf(escape, sizeof escape, "\\u%04x", unit);
    out += escape;
  };
  for (std::size_t i = 0; i < text.size();) {
    const char16_t unit = text[i];
    const char* named = nullptr;
    switch (unit) {
      case u'"':
        named = "\\\"";
        break;
      case u'\\':
        named = "\\\\";
        break;
      case u'\n':
        named = "\\n";
        break;
      case u'\r':
        named = "\\r";
        break;
      case u'\t':
        named = "\\t";
        break;
      case u'\b':
        named = "\\b";
        break;
      case u'\f':
        named = "\\f";
        break;
      default:
        break;
    }
    const std::size_t start = i;
    const char32_t code_point = NextCodePoint(text, &i);
    if (named != nullptr) {
      out += named;
    } else if (unit < 0x20 || (IsSurrogate(unit) && i == start + 1)) {
      append_escape(unit);  // a control character, or an unpaired surrogate kept as an escape
    } else {
      AppendUtf8(code_point, &out);
    }
  }
  out += "\"";
  return out;
}

std::string MessageBoxJson(std::u16string_view caption, std::u16string_view text) {
  return "{\"caption\": " + JsonString(caption) + ", \"text\": " + JsonString(text) + "}";
}

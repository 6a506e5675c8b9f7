// Conversions between the system's UTF-16 text and the UTF-8 of files, terminals and
// third-party libraries, in one place so every edge of the platform treats unpaired
// surrogates and malformed bytes the same way.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

constexpr char32_t kReplacementCharacter = 0xFFFD;

constexpr bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The code point that starts at text[*at], *at moved past it; an unpaired surrogate gives
// U+FFFD. Requires *at < text.size().
char32_t NextCodePoint(std::u16string_view text, std::size_t* at);

// Appends the UTF-8 form of a code point (not a surrogate) to *out.
void AppendUtf8(char32_t code_point, std::string* out);

// Strict conversions: false on malformed input (an unpaired surrogate becomes U+FFFD in the
// output; for UTF-8 the output is then unspecified). Utf8ToUtf16 with out == nullptr only
// checks the input.
bool Utf8ToUtf16(std::string_view in, std::u16string* out);

// A file name or other system text as the system gives it: UTF-8 in practice, and a byte that
// is not is taken as Latin-1 rather than lost.
std::u16string SystemNameText(std::string_view name);
bool Utf16ToUtf8(std::u16string_view in, std::string* out);

// Lenient: unpaired surrogates become U+FFFD. For text handed to display libraries.
std::string Utf16ToUtf8(std::u16string_view in);

// What shows in place of a character that a locale's character set lacks: a plain space for
// a space of another width (no-break, narrow, ideographic...), '#' for a block element (so a
// bar chart still reads as one), '?' for anything else.
constexpr char StandInFor(char32_t c) {
  const bool space = c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F ||
                     c == 0x205F || c == 0x3000;
  if (space) return ' ';
  return c >= 0x2580 && c <= 0x259F ? '#' : '?';
}

// UTF-8 text in the character set of the user's locale (LC_ALL, LC_CTYPE, LANG), as a
// terminal in that locale shows it: unchanged in a UTF-8 locale; elsewhere each character
// the set lacks becomes its StandInFor and the rest are converted (iconv). An unknown or unusable
// locale counts as ASCII, as the C library then takes it.
std::string Utf8ToLocaleCharset(std::string_view utf8);
